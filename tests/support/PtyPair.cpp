#include "tests/support/PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

PtyPair::PtyPair() {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        return;
    }
    // A new pty is cooked with echo; the line must carry bytes untouched.
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    m_master = master;
    m_slaveKeep = slave;
    m_slavePath = name;
}

PtyPair::~PtyPair() {
    Vanish();
}

void PtyPair::Vanish() {
    if (m_master >= 0) {
        close(m_master);
        m_master = -1;
    }
    if (m_slaveKeep >= 0) {
        close(m_slaveKeep);
        m_slaveKeep = -1;
    }
}

std::vector<uint8_t> PtyPair::ReadPeer(size_t count, int timeoutMs) {
    std::vector<uint8_t> out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_master >= 0 && out.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            break;
        }
        pollfd pfd{m_master, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(left)) <= 0) {
            continue;
        }
        uint8_t buf[256];
        const size_t want = count - out.size() < sizeof(buf) ? count - out.size() : sizeof(buf);
        const ssize_t n = read(m_master, buf, want);
        if (n > 0) {
            out.insert(out.end(), buf, buf + n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            break;
        }
    }
    return out;
}

std::vector<uint8_t> PtyPair::DrainPeer(int quietMs) {
    std::vector<uint8_t> out;
    while (m_master >= 0) {
        pollfd pfd{m_master, POLLIN, 0};
        if (poll(&pfd, 1, quietMs) <= 0 || !(pfd.revents & POLLIN)) {
            break;
        }
        uint8_t buf[256];
        const ssize_t n = read(m_master, buf, sizeof(buf));
        if (n <= 0) {
            break;
        }
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}

bool PtyPair::WritePeer(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
    }
    return done == bytes.size();
}
