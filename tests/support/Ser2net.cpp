#include "tests/support/Ser2net.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/WaitUntil.h"

namespace {

// A socket connecting to the loopback port; `ok` says whether it did.
int ConnectLoopback(uint16_t port, bool& ok) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    return fd;
}

bool Connects(uint16_t port) {
    bool ok = false;
    ::close(ConnectLoopback(port, ok));
    return ok;
}

}  // namespace

bool Ser2net::Installed() {
    return ::access(kProgram, X_OK) == 0;
}

int ListenLoopback(int backlog, uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof(addr);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0 ||
        ::listen(fd, backlog) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        port = 0;
        return -1;
    }
    port = ntohs(addr.sin_port);
    return fd;
}

uint16_t Ser2net::FreePort() {
    uint16_t port = 0;
    ::close(ListenLoopback(1, port));
    return port;
}

Ser2net::Ser2net(const std::string& device, bool rfc2217)
    : m_device(device), m_rfc2217(rfc2217), m_port(FreePort()) {}

Ser2net::~Ser2net() {
    Kill();
}

std::string Ser2net::Target() const {
    return std::string(m_rfc2217 ? "rfc2217:" : "tcp:") + "127.0.0.1:" + std::to_string(m_port);
}

bool Ser2net::Start() {
    const std::string config = m_dir.path() + "/ser2net.yaml";
    std::ofstream(config) << "connection: &line\n  accepter: "
                          << (m_rfc2217 ? "telnet(rfc2217),tcp," : "tcp,") << "127.0.0.1," << m_port
                          << "\n  connector: serialdev," << m_device << ",9600n81,local\n";
    const std::string pidFile = m_dir.path() + "/pid";  // made before the fork: no malloc after it
    m_pid = ::fork();
    if (m_pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execl(kProgram, kProgram, "-n", "-u", "-c", config.c_str(), "-P", pidFile.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return m_pid > 0 && WaitUntil([this] { return Connects(m_port); });
}

void Ser2net::Kill() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
}

DeafPort::DeafPort() : m_listener(ListenLoopback(0, m_port)) {
    bool taken = false;
    m_filler = ConnectLoopback(m_port, taken);
}

DeafPort::~DeafPort() {
    ::close(m_filler);
    ::close(m_listener);
}
