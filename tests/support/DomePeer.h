#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/DomeDecoder.h"
#include "tools/DomeFrame.h"

// The far end of the line as a dome sees it: a thread reads the peer side of
// a pty and feeds every byte to the virtual dome's decoder. Frames keep their
// arrival order; bytes that start no frame are counted as garbage.
class DomePeer {
public:
    // Reads `fd` (not owned; it must stay open until Stop) until stopped.
    explicit DomePeer(int fd);
    ~DomePeer();
    DomePeer(const DomePeer&) = delete;
    DomePeer& operator=(const DomePeer&) = delete;

    // Ends the reading thread and settles what the decoder still held. Call
    // before the descriptor is closed. Safe to call twice.
    void Stop();

    // Waits until `count` frames have been decoded; false at the deadline.
    bool WaitForFrames(size_t count, int timeoutMs = 5000) const;

    size_t FrameCount() const;
    std::vector<DomeFrame> Frames() const;
    DomeFrame Frame(size_t index) const;
    // Bytes skipped because they started no frame.
    size_t GarbageBytes() const;

private:
    void Run();
    void Take(const std::vector<DomeEvent>& events);

    int m_fd;
    int m_stopFd = -1;
    std::thread m_thread;
    DomeDecoder m_decoder;  // used by the reading thread, then by Stop

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<DomeFrame> m_frames;
    size_t m_garbage = 0;
};
