#include "serial/NetworkDevice.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "serial/WriteLoop.h"

namespace {

using Clock = std::chrono::steady_clock;
using write_loop::MsUntil;

// The one place where a socket's errno becomes a result.
DeviceResult SocketResult(int err) {
    switch (err) {
        case EAGAIN:
            return DeviceResult::WouldBlock;
        case EINTR:
            return DeviceResult::Interrupted;
        case EPIPE:
        case ECONNRESET:
        case ECONNABORTED:
        case ENOTCONN:
        case ETIMEDOUT:
        case EHOSTUNREACH:
        case ENETUNREACH:
        case ENETDOWN:
            return DeviceResult::Gone;
        default:
            return DeviceResult::Failed;
    }
}

DeviceResult Fail(OpenFailure* why, OpenFailureKind kind, int err, DeviceResult result) {
    if (why != nullptr) {
        why->kind = kind;
        why->sysError = err;
    }
    return result;
}

void SetOption(int fd, int level, int name, int value) {
    // Each is a refinement: a kernel without it still carries the bytes.
    setsockopt(fd, level, name, &value, sizeof(value));
}

// Connects to one address by the deadline: 0, or the errno it failed with.
int ConnectOne(const addrinfo& ai, Clock::time_point deadline, int& fd) {
    fd = ::socket(ai.ai_family, ai.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai.ai_protocol);
    if (fd < 0) {
        return errno;
    }
    int err = 0;
    if (::connect(fd, ai.ai_addr, ai.ai_addrlen) != 0) {
        err = errno;
        while (err == EINPROGRESS || err == EINTR) {
            pollfd pfd{fd, POLLOUT, 0};
            const int n = ::poll(&pfd, 1, MsUntil(deadline));
            if (n == 0) {
                err = ETIMEDOUT;
                break;
            }
            if (n < 0) {
                err = errno;
                continue;
            }
            socklen_t len = sizeof(err);
            if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) {
                err = errno;
            }
        }
    }
    if (err != 0) {
        ::close(fd);
        fd = -1;
    }
    return err;
}

}  // namespace

NetworkDevice::~NetworkDevice() {
    Close();
}

DeviceResult NetworkDevice::Open(const NetworkTarget& target, OpenFailure* why) {
    Close();
    m_mode = target.mode;
    m_reader = telnet::Reader{};
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(target.port);
    const int gai = getaddrinfo(target.host.c_str(), service.c_str(), &hints, &found);
    if (gai != 0) {
        const bool unknown = gai == EAI_NONAME || gai == EAI_FAIL || gai == EAI_AGAIN ||
                             gai == EAI_NODATA || gai == EAI_ADDRFAMILY;
        return Fail(why, unknown ? OpenFailureKind::NameNotFound : OpenFailureKind::Failed,
                    gai == EAI_SYSTEM ? errno : 0, DeviceResult::Failed);
    }
    // Every address the name has shares one deadline.
    const auto deadline = Clock::now() + kConnectTimeout;
    int err = ETIMEDOUT;
    bool refused = false;
    for (const addrinfo* ai = found; ai != nullptr && m_fd < 0; ai = ai->ai_next) {
        err = ConnectOne(*ai, deadline, m_fd);
        refused = refused || err == ECONNREFUSED;
    }
    freeaddrinfo(found);
    if (m_fd < 0) {
        if (refused) {
            return Fail(why, OpenFailureKind::ConnectRefused, ECONNREFUSED, DeviceResult::Failed);
        }
        return Fail(why, err == ETIMEDOUT ? OpenFailureKind::NoAnswer : OpenFailureKind::Failed,
                    err, DeviceResult::TimedOut);
    }
    // A frame goes out when it is written, not when a segment fills.
    SetOption(m_fd, IPPROTO_TCP, TCP_NODELAY, 1);
    SetOption(m_fd, IPPROTO_TCP, TCP_USER_TIMEOUT, static_cast<int>(kUnackedLimitMs));
    // An idle connection to a server that went away is noticed within ~8 s.
    SetOption(m_fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    SetOption(m_fd, IPPROTO_TCP, TCP_KEEPIDLE, 5);
    SetOption(m_fd, IPPROTO_TCP, TCP_KEEPINTVL, 1);
    SetOption(m_fd, IPPROTO_TCP, TCP_KEEPCNT, 3);
    if (m_mode == NetworkMode::Raw) {
        return DeviceResult::Ok;
    }

    using namespace telnet;
    m_reader.Offered(kOptComPort);
    m_reader.Offered(kOptBinary);
    m_reader.Asked(kOptBinary);
    DeviceResult result = SendCommands(Command(kWill, kOptComPort) + Command(kWill, kOptBinary) +
                                       Command(kDo, kOptBinary));
    if (result == DeviceResult::Ok) {
        result = Converse(Clock::now() + kNegotiateTimeout,
                          [this] { return m_reader.ComPortAgreed() || m_reader.ComPortRefused(); });
    }
    if (result == DeviceResult::Ok && m_reader.ComPortAgreed()) {
        return DeviceResult::Ok;
    }
    Close();
    if (result == DeviceResult::Gone) {
        return Fail(why, OpenFailureKind::ServerClosed, 0, result);
    }
    return Fail(why, OpenFailureKind::NotRfc2217, 0,
                result == DeviceResult::Ok ? DeviceResult::Unsupported : result);
}

DeviceResult NetworkDevice::Configure(const LineSettings& settings) {
    if (m_fd < 0) {
        return DeviceResult::Failed;
    }
    if (m_mode == NetworkMode::Raw) {
        return DeviceResult::Ok;
    }
    using namespace telnet;
    const uint8_t parity = settings.parity == 'O'   ? kParityOdd
                           : settings.parity == 'E' ? kParityEven
                                                    : kParityNone;
    const uint32_t wanted[] = {0, settings.baudRate, settings.dataBits, parity, settings.stopBits};
    m_reader.ForgetAnswers();
    const DeviceResult sent = SendCommands(ComPortRequest(kSetBaudRate, settings.baudRate, 4) +
                                           ComPortRequest(kSetDataSize, settings.dataBits, 1) +
                                           ComPortRequest(kSetParity, parity, 1) +
                                           ComPortRequest(kSetStopSize, settings.stopBits, 1));
    if (sent != DeviceResult::Ok) {
        return sent;
    }
    const DeviceResult answered = Converse(Clock::now() + kNegotiateTimeout, [this] {
        for (uint8_t code = kSetBaudRate; code <= kSetStopSize; ++code) {
            if (!m_reader.AnswerTo(code).seen) {
                return false;
            }
        }
        return true;
    });
    if (answered != DeviceResult::Ok) {
        return answered;
    }
    for (uint8_t code = kSetBaudRate; code <= kSetStopSize; ++code) {
        if (m_reader.AnswerTo(code).value != wanted[code]) {
            return DeviceResult::Unsupported;
        }
    }
    return DeviceResult::Ok;
}

template <typename Done>
DeviceResult NetworkDevice::Converse(Clock::time_point limit, Done done) {
    uint8_t scratch[512];
    while (!done()) {
        pollfd pfd{m_fd, POLLIN, 0};
        const int n = ::poll(&pfd, 1, MsUntil(limit));
        if (n == 0) {
            return DeviceResult::TimedOut;
        }
        if (n < 0 && errno != EINTR) {
            return DeviceResult::Failed;
        }
        uint32_t got = 0;
        // Data that comes before the line is set up is not the camera's answer.
        if (const DeviceResult r = ReadOnce(scratch, sizeof(scratch), got); r != DeviceResult::Ok) {
            return r;
        }
    }
    return DeviceResult::Ok;
}

DeviceResult NetworkDevice::ReadOnce(uint8_t* buffer, uint32_t capacity, uint32_t& got) {
    got = 0;
    const ssize_t n = ::recv(m_fd, buffer, capacity, MSG_DONTWAIT);
    if (n == 0) {
        return DeviceResult::Gone;  // the server closed the connection
    }
    if (n < 0) {
        const DeviceResult r = SocketResult(errno);
        return r == DeviceResult::WouldBlock ? DeviceResult::Ok : r;
    }
    if (m_mode == NetworkMode::Raw) {
        got = static_cast<uint32_t>(n);
        return DeviceResult::Ok;
    }
    got = static_cast<uint32_t>(m_reader.Take(buffer, static_cast<size_t>(n)));
    const std::string replies = m_reader.TakeReplies();
    return replies.empty() ? DeviceResult::Ok : SendCommands(replies);
}

DeviceResult NetworkDevice::Read(uint8_t* buffer, uint32_t capacity, uint32_t& got) {
    if (m_fd < 0) {
        got = 0;
        return DeviceResult::Failed;
    }
    return ReadOnce(buffer, capacity, got);
}

DeviceResult NetworkDevice::DiscardInput() {
    uint8_t scratch[512];
    for (;;) {
        const ssize_t queued = ::recv(m_fd, scratch, 1, MSG_DONTWAIT | MSG_PEEK);
        if (queued <= 0) {
            // Nothing queued, or a close that the next read reports.
            return DeviceResult::Ok;
        }
        uint32_t got = 0;
        if (const DeviceResult r = ReadOnce(scratch, sizeof(scratch), got); r != DeviceResult::Ok) {
            return r;
        }
    }
}

DeviceResult NetworkDevice::QueuedInput(uint32_t& count) const {
    int queued = 0;
    if (ioctl(m_fd, FIONREAD, &queued) != 0) {
        count = 0;
        return SocketResult(errno);
    }
    count = queued > 0 ? static_cast<uint32_t>(queued) : 0;
    return DeviceResult::Ok;
}

DeviceResult NetworkDevice::SendCommands(const std::string& bytes) {
    return SendAll(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                   Clock::now() + kNegotiateTimeout, kNegotiateTimeout);
}

DeviceResult NetworkDevice::SendAll(const uint8_t* data, size_t length, Clock::time_point limit,
                                    std::chrono::milliseconds stallAfter) {
    auto lastProgress = Clock::now();
    return write_loop::PutAll(
        length,
        [&](size_t done) {
            return ::send(m_fd, data + done, length - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        },
        SocketResult,
        [&](int ms) {
            pollfd pfd{m_fd, POLLOUT, 0};
            const bool broken = ::poll(&pfd, 1, ms) > 0 && (pfd.revents & (POLLERR | POLLHUP)) != 0;
            return broken ? DeviceResult::Gone : DeviceResult::Ok;
        },
        limit, stallAfter, lastProgress);
}

DeviceResult NetworkDevice::Write(const uint8_t* data, uint32_t length,
                                  const WriteTimeouts& timeouts) {
    if (m_fd < 0) {
        return DeviceResult::Failed;
    }
    const auto limit = write_loop::Limit(Clock::now(), timeouts, length);
    const std::chrono::milliseconds stall(timeouts.constantMs);
    if (m_mode == NetworkMode::Raw) {
        return SendAll(data, length, limit, stall);
    }
    uint8_t escaped[2 * 1024];
    for (uint32_t done = 0; done < length;) {
        const uint32_t n = std::min<uint32_t>(length - done, sizeof(escaped) / 2);
        const DeviceResult r =
            SendAll(escaped, telnet::EscapeData(data + done, n, escaped), limit, stall);
        if (r != DeviceResult::Ok) {
            return r;
        }
        done += n;
    }
    return DeviceResult::Ok;
}

void NetworkDevice::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
