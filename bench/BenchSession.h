#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "tests/support/DialogSession.h"

class QTimer;

// The dialog's offscreen session ("COM1" leads to a pty whose peer end the bench
// reads), plus a descriptor of the device end for the bench's own writes.
class BenchSession : public DialogSession {
public:
    // `replaySleep` replaces the replay thread's pause; null keeps the real one.
    explicit BenchSession(ReplaySleep replaySleep = nullptr);
    ~BenchSession();

    // False when the pty or the bench's own device descriptor is missing.
    bool ok() { return pty().ok() && m_device >= 0; }

    // The peer end of the line.
    int peer() { return pty().master(); }
    // A descriptor of the device end beside the dialog's own, opened before
    // the dialog takes the port exclusively.
    int device() const { return m_device; }

    // Opens the port unless it is open, and lets the port's thread start.
    bool OpenLine();
    // Picks Pelco-D and opens the line; the reason it could not, or null.
    const char* OpenPelcoD();

private:
    int m_device = -1;
};

// Runs the dialog thread's event loop for `duration`, or until `done` holds
// (checked every millisecond). Returns whether `done` held.
bool RunEventLoop(std::chrono::milliseconds duration, const std::function<bool()>& done = {});

// Ticks every millisecond on the dialog's thread; the longest gap between
// two ticks is the longest time the dialog could not have reacted to input.
class StallWatch {
public:
    StallWatch();
    ~StallWatch();
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

    void Start();
    // Stops and returns the longest gap in milliseconds.
    double Stop();

private:
    std::unique_ptr<QTimer> m_timer;
    std::chrono::steady_clock::time_point m_last;
    double m_longestMs = 0;
};
