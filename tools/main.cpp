// orvane-vdome: a virtual PTZ dome on a pseudo-terminal, reachable as "COMn".
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

#include "platform/NetworkPort.h"
#include "platform/Result.h"
#include "tools/DomeListener.h"
#include "tools/DomePort.h"
#include "tools/VirtualDome.h"

namespace {

constexpr const char* kUsage =
    "Usage: orvane-vdome [--port N] [--tcp [ADDRESS:]PORT] [--address N] [--baud B]\n"
    "                    [--json] [--force]\n"
    "\n"
    "A virtual Pelco-D / Pelco-P dome for Orvane. Creates a pseudo-terminal,\n"
    "points \"COMn\" of Orvane's port map at it, decodes every frame that\n"
    "arrives, moves a simulated camera per bus address and prints one line per\n"
    "frame. Stops on Ctrl+C or SIGTERM and removes the link it made. The\n"
    "link is recorded as the dome's in COMn.owner beside it; a link left by a\n"
    "dome that is no longer running is replaced without asking.\n"
    "\n"
    "  --port N   map COMN instead of COM1\n"
    "  --tcp [ADDRESS:]PORT\n"
    "             listen on a TCP port in raw mode, as a serial device server\n"
    "             does (ADDRESS 127.0.0.1 unless given), and map COMn to it as\n"
    "             tcp:ADDRESS:PORT instead of making a pseudo-terminal\n"
    "  --address N\n"
    "             the dome's own bus address, 1-255 (default 1): it answers\n"
    "             position queries (Pelco-D 0x51, 0x53, 0x55) only there\n"
    "  --baud B   the dome's line speed (default 4800): at any other speed the\n"
    "             program sets on the port, the dome understands nothing\n"
    "  --json     one JSON object per line instead of text for people\n"
    "  --force    replace any other COMn link for the run; it is put back at exit\n"
    "  --help     show this help\n"
    "  --version  show the version\n"
    "\n"
    "The port map is $XDG_CONFIG_HOME/orvane/ports (default ~/.config/orvane/ports).\n";

// A partial frame or a garbage run is settled after the line is quiet this long.
constexpr int kQuietMs = 250;
constexpr int kIdleMs = 500;

struct Options {
    unsigned port = 1;
    bool json = false;
    bool force = false;
    bool help = false;
    bool version = false;
    std::optional<NetworkTarget> tcp;
    unsigned address = VirtualDome::kDefaultAddress;
    unsigned baud = VirtualDome::kDefaultBaud;
};

// The speeds a program can set on the terminal, and what it reads as.
struct BaudCode {
    speed_t code;
    unsigned baud;
};
constexpr BaudCode kBauds[] = {
    {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
    {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

bool ParseBaud(const std::string& text, unsigned& baud) {
    for (const BaudCode& b : kBauds) {
        if (text == std::to_string(b.baud)) {
            baud = b.baud;
            return true;
        }
    }
    return false;
}

// The line speed the program on the other side set: a pty's master reads
// the slave's settings.
unsigned LineBaud(int master) {
    termios tio{};
    if (tcgetattr(master, &tio) != 0) {
        return 0;
    }
    const speed_t code = cfgetispeed(&tio);
    for (const BaudCode& b : kBauds) {
        if (b.code == code) {
            return b.baud;
        }
    }
    return 0;
}

bool ParsePort(const std::string& text, unsigned& port) {
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long value = std::strtoul(text.c_str(), nullptr, 10);
    if (value < 1 || value > 255) {
        return false;
    }
    port = static_cast<unsigned>(value);
    return true;
}

orvane::Result ParseArgs(int argc, char** argv, Options& opt) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            opt.help = true;
        } else if (arg == "--version") {
            opt.version = true;
        } else if (arg == "--json") {
            opt.json = true;
        } else if (arg == "--force") {
            opt.force = true;
        } else if (arg == "--tcp") {
            const std::string value = i + 1 < argc ? argv[++i] : "";
            const bool hasAddress = value.find(':') != std::string::npos;
            opt.tcp = ParseNetworkTarget("tcp:" + (hasAddress ? value : "127.0.0.1:" + value));
            if (!opt.tcp) {
                return orvane::Result::Failed(
                    {}, 0, "--tcp wants [ADDRESS:]PORT, such as 4001, not \"" + value + "\"");
            }
        } else if (arg == "--address" || arg == "--baud") {
            if (i + 1 >= argc) {
                return orvane::Result::Failed({}, 0, arg + " needs a number");
            }
            const std::string value = argv[++i];
            if (arg == "--address" ? !ParsePort(value, opt.address) : !ParseBaud(value, opt.baud)) {
                return orvane::Result::Failed(
                    {}, 0,
                    arg == "--address"
                        ? "--address wants a number from 1 to 255, not \"" + value + "\""
                        : "--baud wants a standard rate such as 4800, not \"" + value + "\"");
            }
        } else if (arg == "--port" || arg.rfind("--port=", 0) == 0) {
            std::string value;
            if (arg == "--port") {
                if (i + 1 >= argc) {
                    return orvane::Result::Failed({}, 0, "--port needs a number");
                }
                value = argv[++i];
            } else {
                value = arg.substr(7);
            }
            if (!ParsePort(value, opt.port)) {
                return orvane::Result::Failed(
                    {}, 0, "--port wants a number from 1 to 255, not \"" + value + "\"");
            }
        } else {
            return orvane::Result::Failed({}, 0, "unknown argument \"" + arg + "\"");
        }
    }
    return {};
}

// Writes the lines and flushes, so a log being followed stays live.
bool Print(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (std::fputs(line.c_str(), stdout) == EOF || std::fputc('\n', stdout) == EOF) {
            return false;
        }
    }
    return lines.empty() || std::fflush(stdout) == 0;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "orvane-vdome: %s\n", message.c_str());
    return 1;
}

int Run(const Options& opt) {
    // Signals arrive through a descriptor, so the loop cannot miss one
    // between checking a flag and going to sleep. A shell starts background
    // jobs with SIGINT ignored, and an ignored signal never reaches the
    // descriptor; a hangup stays ignored under nohup.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        if (sig != SIGHUP) {
            signal(sig, SIG_DFL);
        }
        struct sigaction current {};
        sigaction(sig, nullptr, &current);
        if (current.sa_handler != SIG_IGN) {
            sigaddset(&stopSignals, sig);
        }
    }
    if (sigprocmask(SIG_BLOCK, &stopSignals, nullptr) != 0) {
        return Fail(std::string("cannot block signals: ") + std::strerror(errno));
    }
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signalFd < 0) {
        return Fail(std::string("cannot watch signals: ") + std::strerror(errno));
    }
    signal(SIGPIPE, SIG_IGN);

    DomePort port;
    DomeListener listener;
    const orvane::Result opened =
        opt.tcp ? listener.Open(opt.tcp->host, opt.tcp->port) : port.Open();
    if (!opened) {
        return Fail(opened.Message());
    }
    const std::string line = opt.tcp ? NetworkTargetText(*opt.tcp) : port.slavePath();
    PortLink link;
    if (const orvane::Result linked = link.Create(opt.port, line, opt.force); !linked) {
        return Fail(linked.Message());
    }
    const std::time_t started = std::time(nullptr);
    char clock[16] = "?";
    std::tm local{};
    if (localtime_r(&started, &local) != nullptr) {
        std::strftime(clock, sizeof(clock), "%H:%M:%S", &local);
    }
    std::fprintf(stderr,
                 "orvane-vdome: COM%u is %s (%s); address %u at %u baud; times are seconds "
                 "since %s; waiting for frames, Ctrl+C stops\n",
                 opt.port, line.c_str(), link.path().c_str(), opt.address, opt.baud, clock);

    VirtualDome dome(opt.json, static_cast<uint8_t>(opt.address), opt.baud);
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [start] {
        return std::chrono::duration_cast<DomeTime>(std::chrono::steady_clock::now() - start);
    };
    int result = 0;
    for (;;) {
        // On TCP the line is the client's socket; the listener is watched beside it.
        const int lineFd = opt.tcp ? listener.client() : port.master();
        pollfd fds[3] = {
            {lineFd, POLLIN, 0}, {signalFd, POLLIN, 0}, {listener.listener(), POLLIN, 0}};
        const int ready = poll(fds, 3, dome.Pending() ? kQuietMs : kIdleMs);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            result = Fail(std::string("poll failed: ") + std::strerror(errno));
            break;
        }
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info{};
            if (read(signalFd, &info, sizeof(info)) < 0) {
                // The signal is what matters, not its details.
            }
            break;
        }
        if (fds[2].revents & POLLIN) {
            listener.Accept();
        }
        std::vector<std::string> lines;
        if (fds[0].revents & POLLIN) {
            uint8_t buf[4096];
            const ssize_t n = read(lineFd, buf, sizeof(buf));
            if (n > 0) {
                // A TCP line has no speed of its own: the dome takes it as its own.
                lines = dome.Feed(buf, static_cast<size_t>(n), elapsed(),
                                  opt.tcp ? opt.baud : LineBaud(port.master()));
                const std::vector<uint8_t> replies = dome.TakeReplies();
                // A reply is a few bytes into an empty buffer; one that does
                // not fit is lost, as on a line nobody reads.
                if (!replies.empty() && write(lineFd, replies.data(), replies.size()) < 0) {
                }
            } else if (opt.tcp && (n == 0 || (errno != EAGAIN && errno != EINTR))) {
                listener.DropClient();  // the program closed or lost the line
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                result = Fail(std::string("reading the line failed: ") + std::strerror(errno));
                break;
            }
        } else if (opt.tcp && (fds[0].revents & (POLLHUP | POLLERR))) {
            listener.DropClient();
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            result = Fail("the pseudo-terminal was closed");
            break;
        } else if (ready == 0) {
            lines = dome.Flush(elapsed());
            if (!opt.tcp) {
                port.ReleaseStaleExclusive();
            }
        }
        if (!Print(lines)) {
            result = Fail(std::string("cannot write the log: ") + std::strerror(errno));
            break;
        }
    }
    close(signalFd);
    Print(dome.Flush(elapsed()));
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (const orvane::Result parsed = ParseArgs(argc, argv, opt); !parsed) {
        std::fprintf(stderr, "orvane-vdome: %s (see --help)\n", parsed.Message().c_str());
        return 2;
    }
    if (opt.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (opt.version) {
        std::printf("orvane-vdome %s\n", ORVANE_VERSION);
        return 0;
    }
    return Run(opt);
}
