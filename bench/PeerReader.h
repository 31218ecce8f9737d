#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

// Reads the peer end of the line on a thread of its own and stamps the moment
// the last byte of each frame was read, so a stamp never waits for the
// dialog's thread to get round to it.
class PeerReader {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kMaxFrame = 8;

    struct Frame {
        std::array<uint8_t, kMaxFrame> bytes{};
        std::size_t size = 0;
        Clock::time_point at;
    };

    // Splits what arrives on `fd` into frames of `frameSize` bytes.
    PeerReader(int fd, std::size_t frameSize);
    ~PeerReader();
    PeerReader(const PeerReader&) = delete;
    PeerReader& operator=(const PeerReader&) = delete;

    bool ok() const { return m_wake >= 0 && m_thread.joinable(); }

    // The oldest frame not taken yet, waiting up to `timeout` for one.
    std::optional<Frame> Next(std::chrono::milliseconds timeout);
    // Waits until `count` frames have come since the last Discard.
    bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout);
    // Frames not taken yet, oldest first; they are taken.
    std::deque<Frame> TakeAll();
    // Forgets every frame and any partial frame seen so far.
    void Discard();
    std::size_t Received() const;

private:
    void Run();

    int m_fd;
    std::size_t m_frameSize;
    int m_wake = -1;  // eventfd that ends the thread's wait
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<Frame> m_frames;
    Frame m_partial;
    std::size_t m_received = 0;
    std::thread m_thread;
};
