#include "bench/PeerReader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

PeerReader::PeerReader(int fd, std::size_t frameSize)
    : m_fd(fd), m_frameSize(frameSize < 1 ? 1 : (frameSize > kMaxFrame ? kMaxFrame : frameSize)) {
    m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wake >= 0) {
        m_thread = std::thread(&PeerReader::Run, this);
    }
}

PeerReader::~PeerReader() {
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(m_wake, &one, sizeof one);
        m_thread.join();
    }
    if (m_wake >= 0) {
        close(m_wake);
    }
}

void PeerReader::Run() {
    for (;;) {
        pollfd fds[2] = {{m_wake, POLLIN, 0}, {m_fd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if ((fds[1].revents & POLLIN) == 0) {
            // A hang-up without data: the device end is being reopened. Wait
            // a little rather than spin on it.
            if (fds[1].revents != 0) {
                poll(fds, 1, 5);
            }
            continue;
        }
        uint8_t buffer[4096];
        const ssize_t n = read(m_fd, buffer, sizeof buffer);
        const Clock::time_point now = Clock::now();
        if (n <= 0) {
            continue;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        for (ssize_t i = 0; i < n; ++i) {
            m_partial.bytes[m_partial.size++] = buffer[i];
            if (m_partial.size == m_frameSize) {
                m_partial.at = now;
                m_frames.push_back(m_partial);
                m_partial = Frame{};
                ++m_received;
            }
        }
        m_arrived.notify_all();
    }
}

std::optional<PeerReader::Frame> PeerReader::Next(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_arrived.wait_for(lock, timeout, [this] { return !m_frames.empty(); })) {
        return std::nullopt;
    }
    Frame frame = m_frames.front();
    m_frames.pop_front();
    return frame;
}

bool PeerReader::WaitForCount(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_arrived.wait_for(lock, timeout, [&] { return m_received >= count; });
}

std::deque<PeerReader::Frame> PeerReader::TakeAll() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::deque<Frame> frames;
    frames.swap(m_frames);
    return frames;
}

void PeerReader::Discard() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frames.clear();
    m_partial = Frame{};
    m_received = 0;
}

std::size_t PeerReader::Received() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
}
