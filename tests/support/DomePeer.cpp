#include "tests/support/DomePeer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

DomePeer::DomePeer(int fd) : m_fd(fd) {
    m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_thread = std::thread(&DomePeer::Run, this);
}

DomePeer::~DomePeer() {
    Stop();
    if (m_stopFd >= 0) {
        close(m_stopFd);
    }
}

void DomePeer::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    const uint64_t one = 1;
    if (write(m_stopFd, &one, sizeof one) != static_cast<ssize_t>(sizeof one)) {
        // The thread also ends when its poll fails on a broken event.
    }
    m_thread.join();
    Take(m_decoder.Flush());
}

void DomePeer::Run() {
    bool watchLine = m_fd >= 0;
    for (;;) {
        pollfd fds[2] = {{m_stopFd, POLLIN, 0}, {watchLine ? m_fd : -1, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if (fds[1].revents & POLLIN) {
            uint8_t buf[4096];
            const ssize_t n = read(m_fd, buf, sizeof buf);
            if (n > 0) {
                Take(m_decoder.Feed(buf, static_cast<size_t>(n)));
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
        }
        // A line that hung up or failed stays readable forever: stop watching
        // it, or this thread would spin until stopped.
        if (fds[1].revents != 0) {
            watchLine = false;
        }
    }
}

void DomePeer::Take(const std::vector<DomeEvent>& events) {
    if (events.empty()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const DomeEvent& event : events) {
            if (event.kind == DomeEvent::Kind::Garbage) {
                m_garbage += event.skipped;
                continue;
            }
            m_frames.push_back(event.frame);
        }
    }
    m_changed.notify_all();
}

bool DomePeer::WaitForFrames(size_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_frames.size() >= count; });
}

size_t DomePeer::FrameCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames.size();
}

std::vector<DomeFrame> DomePeer::Frames() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

DomeFrame DomePeer::Frame(size_t index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return index < m_frames.size() ? m_frames[index] : DomeFrame{};
}

size_t DomePeer::GarbageBytes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_garbage;
}
