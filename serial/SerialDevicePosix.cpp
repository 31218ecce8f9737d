#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/DeviceNode.h"
#include "serial/NetworkDevice.h"
#include "serial/SerialDevicePosix.h"
#include "serial/WriteLoop.h"

namespace {

struct BaudEntry {
    unsigned rate;
    speed_t constant;
};

// Every rate the kernel has a constant for; anything else would need BOTHER.
constexpr BaudEntry kTermiosSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

using Clock = std::chrono::steady_clock;
using write_loop::MsUntil;

}  // namespace

DeviceResult ResultFromErrno(int err) {
    switch (err) {
        case 0:
            return DeviceResult::Ok;
        case EAGAIN:
            return DeviceResult::WouldBlock;
        case EINTR:
            return DeviceResult::Interrupted;
        case ETIMEDOUT:
            return DeviceResult::TimedOut;
        case EBUSY:
            return DeviceResult::Busy;
        case ENOTTY:
        case EINVAL:
        case EOPNOTSUPP:
            return DeviceResult::Unsupported;
        case EIO:
        case ENXIO:
        case ENODEV:
        case EPIPE:
            return DeviceResult::Gone;
        default:
            return DeviceResult::Failed;
    }
}

bool SetBaudRate(termios& tio, unsigned baudRate) {
    const auto* entry = std::find_if(std::begin(kTermiosSpeeds), std::end(kTermiosSpeeds),
                                     [baudRate](const BaudEntry& e) { return e.rate == baudRate; });
    if (entry == std::end(kTermiosSpeeds)) {
        return false;
    }
    termios next = tio;
    if (cfsetospeed(&next, entry->constant) != 0 || cfsetispeed(&next, entry->constant) != 0) {
        return false;
    }
    tio = next;
    return true;
}

bool SetParity(termios& tio, char parity) {
    switch (parity) {
        case 'N':
            tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
            return true;
        case 'E':
            tio.c_cflag &= ~(PARODD | CMSPAR);
            tio.c_cflag |= PARENB;
            return true;
        case 'O':
            tio.c_cflag &= ~CMSPAR;
            tio.c_cflag |= PARENB | PARODD;
            return true;
        default:
            return false;
    }
}

bool SetDataBits(termios& tio, unsigned dataBits) {
    tcflag_t size = 0;
    switch (dataBits) {
        case 5:
            size = CS5;
            break;
        case 6:
            size = CS6;
            break;
        case 7:
            size = CS7;
            break;
        case 8:
            size = CS8;
            break;
        default:
            return false;
    }
    tio.c_cflag = (tio.c_cflag & ~CSIZE) | size;
    return true;
}

bool SetStopBits(termios& tio, unsigned stopBits) {
    switch (stopBits) {
        case 1:
            tio.c_cflag &= ~CSTOPB;
            return true;
        case 2:
            tio.c_cflag |= CSTOPB;
            return true;
        default:
            return false;
    }
}

bool MakeLineTermios(termios& tio, const LineSettings& settings) {
    termios next = tio;
    cfmakeraw(&next);
    next.c_cflag |= CLOCAL | CREAD;
    // HUPCL off: closing must not drop RTS on the bus adapter.
    next.c_cflag &= ~(HUPCL | CRTSCTS);
    // Received bytes pass as they came; a parity error does not turn one into 0.
    next.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
    next.c_cc[VMIN] = 0;
    next.c_cc[VTIME] = 0;
    if (!SetBaudRate(next, settings.baudRate) || !SetParity(next, settings.parity) ||
        !SetDataBits(next, settings.dataBits) || !SetStopBits(next, settings.stopBits)) {
        return false;
    }
    tio = next;
    return true;
}

bool LineSettingsValid(const LineSettings& settings) {
    termios scratch{};
    return MakeLineTermios(scratch, settings);
}

// --- DeviceEvent ---

DeviceEvent::~DeviceEvent() {
    Close();
}

bool DeviceEvent::Create() {
    Close();
    m_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return m_fd >= 0;
}

void DeviceEvent::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool DeviceEvent::Signal() {
    const uint64_t one = 1;
    for (;;) {
        if (::write(m_fd, &one, sizeof(one)) == static_cast<ssize_t>(sizeof(one))) {
            return true;
        }
        if (ResultFromErrno(errno) != DeviceResult::Interrupted) {
            return false;
        }
    }
}

void DeviceEvent::Reset() {
    uint64_t count = 0;
    while (::read(m_fd, &count, sizeof(count)) < 0 &&
           ResultFromErrno(errno) == DeviceResult::Interrupted) {
    }
}

bool DeviceEvent::WaitFor(uint32_t ms) const {
    pollfd pfd{m_fd, POLLIN, 0};
    const int n = ::poll(&pfd, 1, static_cast<int>(ms));
    if (n < 0) {
        // Even a broken wait must not let the caller spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return false;
    }
    return n > 0 && (pfd.revents & POLLIN) != 0;
}

// --- SerialDevice ---

struct SerialDevice::SavedState {
    termios tio{};
};

SerialDevice::SerialDevice() = default;

SerialDevice::~SerialDevice() {
    Close();
}

namespace {

// Which step failed and with what tells the operator what to do about it.
enum class OpenStep { Check, Open, Lock, Exclusive, Settings };

OpenFailureKind KindOf(OpenStep step, int err) {
    switch (step) {
        case OpenStep::Check:
            return OpenFailureKind::NotSerial;
        case OpenStep::Open:
            if (err == EACCES || err == EPERM) {
                return OpenFailureKind::PermissionDenied;
            }
            if (err == ENOENT || err == ENXIO || err == ENODEV || err == EIO) {
                return OpenFailureKind::NothingThere;
            }
            if (err == EBUSY) {
                return OpenFailureKind::Busy;  // another user's exclusive open
            }
            return err == EISDIR ? OpenFailureKind::NotSerial : OpenFailureKind::Failed;
        case OpenStep::Lock:
            return err == EWOULDBLOCK ? OpenFailureKind::Busy : OpenFailureKind::Failed;
        case OpenStep::Exclusive:
            return OpenFailureKind::Failed;
        case OpenStep::Settings:
            return err == ENOTTY || err == EINVAL ? OpenFailureKind::NotSerial
                                                  : OpenFailureKind::Failed;
    }
    return OpenFailureKind::Failed;
}

DeviceResult OpenFailed(OpenStep step, int err, OpenFailure* why) {
    if (why != nullptr) {
        why->kind = KindOf(step, err);
        why->sysError = err;
    }
    const DeviceResult result = ResultFromErrno(err);
    return result == DeviceResult::WouldBlock ? DeviceResult::Busy : result;
}

}  // namespace

DeviceResult SerialDevice::Open(const std::string& path, OpenFailure* why) {
    Close();
    if (path.empty()) {
        return OpenFailed(OpenStep::Open, ENOENT, why);
    }
    // Decided before the open: opening /dev/ptmx makes a new unconnected
    // terminal, and opening a real port raises its modem lines.
    if (struct stat st{}; ::stat(path.c_str(), &st) == 0 && !IsSerialDeviceNode(path)) {
        return OpenFailed(OpenStep::Check, ENOTTY, why);
    }
    // A serial program's lock file is honoured before the device is touched.
    if (long holder = 0; !m_uucpLock.Take(path, holder)) {
        return OpenFailed(OpenStep::Lock, EWOULDBLOCK, why);
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        m_uucpLock.Release();
        return OpenFailed(OpenStep::Open, err, why);
    }
    bool exclusive = false;
    auto fail = [&](OpenStep step, int err) {
        if (exclusive) {
            ioctl(fd, TIOCNXCL);
        }
        ::close(fd);
        m_uucpLock.Release();
        return OpenFailed(step, err, why);
    };
    // flock holds against every process, root included; TIOCEXCL keeps out
    // other users' opens but not root's.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return fail(OpenStep::Lock, errno);
    }
    if (ioctl(fd, TIOCEXCL) == 0) {
        exclusive = true;
    } else if (const int err = errno; ResultFromErrno(err) != DeviceResult::Unsupported) {
        return fail(OpenStep::Exclusive, err);
    }
    // A program that takes neither lock (cat, a shell's redirection) still
    // reads and writes the line: two talkers on one bus.
    if (!DeviceHolders(path).empty()) {
        return fail(OpenStep::Lock, EWOULDBLOCK);
    }
    auto saved = std::make_unique<SavedState>();
    if (tcgetattr(fd, &saved->tio) != 0) {
        return fail(OpenStep::Settings, errno);
    }
    m_fd = fd;
    m_bExclusive = exclusive;
    m_pSaved = std::move(saved);
    return DeviceResult::Ok;
}

DeviceResult SerialDevice::OpenNetwork(const NetworkTarget& target, OpenFailure* why) {
    Close();
    m_pNet = std::make_unique<NetworkDevice>();
    const DeviceResult result = m_pNet->Open(target, why);
    if (result != DeviceResult::Ok) {
        m_pNet.reset();
    }
    return result;
}

int SerialDevice::Descriptor() const {
    return m_pNet ? m_pNet->Descriptor() : m_fd;
}

DeviceResult SerialDevice::Configure(const LineSettings& settings) {
    if (m_pNet) {
        return m_pNet->Configure(settings);
    }
    if (m_fd < 0) {
        return DeviceResult::Failed;
    }
    termios wanted = m_pSaved->tio;
    if (!MakeLineTermios(wanted, settings)) {
        return DeviceResult::Unsupported;
    }
    if (tcsetattr(m_fd, TCSANOW, &wanted) != 0) {
        return ResultFromErrno(errno);
    }
    // tcsetattr succeeds if any part took; a driver that cannot run at the
    // speed shows it in the read-back.
    termios applied{};
    if (tcgetattr(m_fd, &applied) != 0) {
        return ResultFromErrno(errno);
    }
    if (cfgetospeed(&applied) != cfgetospeed(&wanted)) {
        return DeviceResult::Unsupported;
    }
    m_nBaudRate = settings.baudRate;
    m_nBitsPerChar = 1 + settings.dataBits + (settings.parity == 'N' ? 0 : 1) + settings.stopBits;
    return DeviceResult::Ok;
}

DeviceResult SerialDevice::RaiseRts() {
    if (m_pNet) {
        return DeviceResult::Unsupported;  // the server drives its own lines
    }
    int bits = TIOCM_RTS;
    if (ioctl(m_fd, TIOCMBIS, &bits) != 0) {
        return ResultFromErrno(errno);
    }
    return DeviceResult::Ok;
}

DeviceResult SerialDevice::DiscardInput() {
    if (m_pNet) {
        return m_pNet->DiscardInput();
    }
    if (tcflush(m_fd, TCIFLUSH) != 0) {
        return ResultFromErrno(errno);
    }
    return DeviceResult::Ok;
}

DeviceResult SerialDevice::QueuedInput(uint32_t& count) const {
    if (m_pNet) {
        return m_pNet->QueuedInput(count);
    }
    int queued = 0;
    if (ioctl(m_fd, TIOCINQ, &queued) != 0) {
        count = 0;
        return ResultFromErrno(errno);
    }
    count = queued > 0 ? static_cast<uint32_t>(queued) : 0;
    return DeviceResult::Ok;
}

DeviceResult SerialDevice::Read(uint8_t* buffer, uint32_t capacity, uint32_t& got) {
    if (m_pNet) {
        return m_pNet->Read(buffer, capacity, got);
    }
    got = 0;
    const ssize_t n = ::read(m_fd, buffer, capacity);
    if (n >= 0) {
        // With VMIN = VTIME = 0 an empty queue reads as 0 bytes.
        got = static_cast<uint32_t>(n);
        return DeviceResult::Ok;
    }
    const DeviceResult result = ResultFromErrno(errno);
    return result == DeviceResult::WouldBlock ? DeviceResult::Ok : result;
}

DeviceResult SerialDevice::WaitWritable(int timeoutMs) const {
    pollfd pfd{m_fd, POLLOUT, 0};
    const int n = ::poll(&pfd, 1, timeoutMs);
    if (n < 0) {
        return ResultFromErrno(errno);
    }
    if (n == 0) {
        return DeviceResult::TimedOut;
    }
    if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) {
        return DeviceResult::Gone;
    }
    return DeviceResult::Ok;
}

uint32_t SerialDevice::MsPerChar() const {
    return (m_nBitsPerChar * 1000 + m_nBaudRate - 1) / m_nBaudRate;
}

DeviceResult SerialDevice::Write(const uint8_t* data, uint32_t length,
                                 const WriteTimeouts& timeouts) {
    if (m_pNet) {
        return m_pNet->Write(data, length, timeouts);
    }
    if (m_fd < 0) {
        return DeviceResult::Failed;
    }
    const DeviceResult result = WriteAndDrain(data, length, timeouts);
    // A write that did not finish leaves nothing behind, so the line is
    // always empty when the next one starts.
    if (result != DeviceResult::Ok) {
        tcflush(m_fd, TCOFLUSH);
    }
    return result;
}

DeviceResult SerialDevice::WriteAndDrain(const uint8_t* data, uint32_t length,
                                         const WriteTimeouts& timeouts) {
    const auto start = Clock::now();
    const auto limit = write_loop::Limit(start, timeouts, length);
    const auto stallAfter = std::chrono::milliseconds(timeouts.constantMs);
    auto lastProgress = start;
    auto msLeft = [&] { return MsUntil(std::min(lastProgress + stallAfter, limit)); };

    const DeviceResult put = write_loop::PutAll(
        length, [&](size_t done) { return ::write(m_fd, data + done, length - done); },
        ResultFromErrno, [this](int ms) { return WaitWritable(ms); }, limit, stallAfter,
        lastProgress);
    if (put != DeviceResult::Ok) {
        return put;
    }

    // The write is finished when the line has sent it: the purge before the
    // next write would otherwise cut off the tail of this one.
    int lastQueued = -1;
    for (;;) {
        int queued = 0;
        if (ioctl(m_fd, TIOCOUTQ, &queued) != 0) {
            const DeviceResult result = ResultFromErrno(errno);
            return result == DeviceResult::Gone ? result : DeviceResult::Ok;
        }
        if (queued <= 0) {
            return DeviceResult::Ok;
        }
        if (lastQueued < 0 || queued < lastQueued) {
            lastQueued = queued;
            lastProgress = Clock::now();
        }
        const int left = msLeft();
        if (left == 0) {
            return DeviceResult::TimedOut;
        }
        const uint32_t estimate =
            std::clamp<uint32_t>(static_cast<uint32_t>(queued) * MsPerChar(), 1u, 50u);
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::min<uint32_t>(estimate, static_cast<uint32_t>(left))));
    }
}

void SerialDevice::Close() {
    m_pNet.reset();
    if (m_fd < 0) {
        return;
    }
    // The exclusive flag belongs to the tty, not to this descriptor: left set,
    // it would outlive the close while anyone else holds the device open.
    if (m_bExclusive) {
        ioctl(m_fd, TIOCNXCL);
    }
    if (m_pSaved) {
        tcsetattr(m_fd, TCSANOW, &m_pSaved->tio);
    }
    ::close(m_fd);
    m_uucpLock.Release();
    m_fd = -1;
    m_bExclusive = false;
    m_pSaved.reset();
}

WaitOutcome WaitForEvents(const DeviceEvent& stop, const SerialDevice& device, bool watchInput,
                          const DeviceEvent& send) {
    // A negative descriptor is skipped by poll: that is how a gone line stops
    // being watched.
    pollfd fds[3] = {
        {stop.Descriptor(), POLLIN, 0},
        {watchInput ? device.Descriptor() : -1, POLLIN, 0},
        {send.Descriptor(), POLLIN, 0},
    };
    if (::poll(fds, 3, -1) < 0) {
        return ResultFromErrno(errno) == DeviceResult::Interrupted ? WaitOutcome::Interrupted
                                                                   : WaitOutcome::Failed;
    }
    if (fds[0].revents != 0) {
        return WaitOutcome::Stop;
    }
    if (fds[2].revents != 0) {
        return WaitOutcome::Send;
    }
    if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        return WaitOutcome::Hangup;
    }
    if (fds[1].revents & POLLIN) {
        return WaitOutcome::Line;
    }
    return WaitOutcome::Interrupted;
}
