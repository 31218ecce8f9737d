// Press to socket: COM1 leads to a loopback TCP port in raw mode (the bench
// listens there as a serial device server would). The floor is the same seven
// bytes written on a second loopback connection with TCP_NODELAY.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "bench/BenchSession.h"
#include "bench/BenchStats.h"
#include "bench/ListFileWriter.h"
#include "bench/PeerReader.h"
#include "bench/Phases.h"
#include "console/ControlIds.h"

namespace {

using Clock = PeerReader::Clock;
constexpr auto kFrameWait = std::chrono::seconds(2);
constexpr int kWarmUpRounds = 20;

class PressEntry : public QObject {
public:
    Clock::time_point pressed;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            pressed = Clock::now();
        }
        return false;
    }
};

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

// A listening socket on a free loopback port.
int Listen(uint16_t& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = Loopback(0);
    socklen_t len = sizeof(addr);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(fd, 2) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        return -1;
    }
    port = ntohs(addr.sin_port);
    return fd;
}

struct Fds {
    std::vector<int> fds;
    ~Fds() {
        for (int fd : fds) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
    int Keep(int fd) {
        fds.push_back(fd);
        return fd;
    }
};

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

bool Carries(const std::optional<PeerReader::Frame>& frame, const std::array<uint8_t, 7>& bytes) {
    return frame && frame->size == bytes.size() &&
           std::equal(bytes.begin(), bytes.end(), frame->bytes.begin());
}

}  // namespace

void MeasurePressToSocket(const BenchOptions& options, std::vector<Measure>& out) {
    const std::string label = "Press to socket (raw TCP, loopback), p50";
    const std::string target = "within 1.5x the floor";
    auto fail = [&](const std::string& reason) {
        out.push_back(NotMeasured("net.press_p50_us", label, target, reason));
    };
    Fds fds;
    uint16_t port = 0;
    const int server = fds.Keep(Listen(port));
    if (server < 0) {
        return fail("cannot listen on a loopback port");
    }
    BenchSession session;
    if (!session.ports().Link(1, "tcp:127.0.0.1:" + std::to_string(port))) {
        return fail("cannot map COM1 to the loopback port");
    }
    if (const char* reason = session.OpenPelcoD()) {
        return fail(reason);
    }
    const int line = fds.Keep(accept4(server, nullptr, nullptr, SOCK_CLOEXEC));
    // The floor's own connection, set up as the port's: TCP_NODELAY.
    const int floorWriter = fds.Keep(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int one = 1;
    setsockopt(floorWriter, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    const sockaddr_in addr = Loopback(port);
    if (line < 0 ||
        connect(floorWriter, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0) {
        return fail("the loopback connections could not be made");
    }
    const int floorReader = fds.Keep(accept4(server, nullptr, nullptr, SOCK_CLOEXEC));
    PeerReader reader(line, kUpFrame.size());
    PeerReader bareReader(floorReader, kUpFrame.size());
    QPushButton* up = session.Button(IDC_BTN_UP);
    PressEntry entry;
    up->installEventFilter(&entry);

    std::vector<double> floor;
    std::vector<double> press;
    std::string fault;
    for (int round = -kWarmUpRounds; round < options.presses && fault.empty(); ++round) {
        const Clock::time_point written = Clock::now();
        if (write(floorWriter, kUpFrame.data(), kUpFrame.size()) !=
            static_cast<ssize_t>(kUpFrame.size())) {
            fault = "the bare socket write failed";
            break;
        }
        const std::optional<PeerReader::Frame> bare = bareReader.Next(kFrameWait);
        QTest::mousePress(up, Qt::LeftButton);
        const std::optional<PeerReader::Frame> pressed = reader.Next(kFrameWait);
        QTest::mouseRelease(up, Qt::LeftButton);
        const std::optional<PeerReader::Frame> released = reader.Next(kFrameWait);
        if (!Carries(bare, kUpFrame) || !Carries(pressed, kUpFrame) ||
            !Carries(released, kStopFrame)) {
            fault = "a frame did not arrive whole on the socket";
        } else if (round >= 0) {
            floor.push_back(Micros(bare->at - written));
            press.push_back(Micros(pressed->at - entry.pressed));
        }
        QCoreApplication::processEvents();
    }
    up->removeEventFilter(&entry);
    if (!fault.empty()) {
        return fail(fault);
    }
    const Summary f = Summarise(floor);
    const Summary p = Summarise(press);
    const double ratio = f.p50 > 0 ? p.p50 / f.p50 : 0;
    Measure p50{"net.press_p50_us",
                label + " (" + Grouped(static_cast<long>(p.count)) + " presses)",
                p.p50,
                "us",
                "",
                target,
                ratio <= 1.5};
    p50.detail = "floor " + FormatValue(f.p50, "us") + ", " + FormatValue(ratio, "x") + "; p99 " +
                 FormatValue(p.p99, "us") + ", floor p99 " + FormatValue(f.p99, "us");
    out.push_back(p50);
}
