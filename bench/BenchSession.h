#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/OrvaneDlg.h"
#include "app/Prompter.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedPortMap.h"

class QPushButton;
class QTimer;

// Answers the dialog's prompts: messages are dropped, a file or folder
// request takes the answer set beforehand (once), or is cancelled.
class BenchPrompter : public IPrompter {
public:
    void Message(const std::string&, const std::string&, PromptIcon) override {}
    void About() override {}
    std::optional<std::string> OpenFile(const std::string&, const std::string&) override;
    std::optional<std::string> ChooseFolder(const std::string&) override;

    std::optional<std::string> nextFile;
    std::optional<std::string> nextFolder;
};

// The main dialog shown offscreen, with "COM1" leading to a pty whose peer
// end the bench reads.
class BenchSession {
public:
    // `replaySleep` replaces the replay thread's pause; null keeps the real one.
    explicit BenchSession(ReplaySleep replaySleep = nullptr);
    ~BenchSession();
    BenchSession(const BenchSession&) = delete;
    BenchSession& operator=(const BenchSession&) = delete;

    // False when the pty or the bench's own device descriptor is missing.
    bool ok() const { return m_pty.ok() && m_device >= 0; }

    COrvaneDlg& dlg() { return *m_dlg; }
    BenchPrompter& prompter() { return m_prompter; }
    // The peer end of the line.
    int peer() const { return m_pty.master(); }
    // A descriptor of the device end beside the dialog's own, opened before
    // the dialog takes the port exclusively.
    int device() const { return m_device; }

    QPushButton* Button(int id) const;
    // A mouse click as the operator makes it; false when the button is disabled.
    bool Click(int id);
    bool OpenPort();
    // Chooses an entry of a settings combo as the operator does.
    void Select(int comboId, int index);
    void SetText(int editId, const QString& text);
    int Rows() const;

private:
    ScopedPortMap m_ports;
    PtyPair m_pty;
    int m_device = -1;
    BenchPrompter m_prompter;
    std::unique_ptr<COrvaneDlg> m_dlg;
};

// Creates the application object once, offscreen unless a platform was chosen.
void EnsureApplication(int& argc, char** argv);

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
