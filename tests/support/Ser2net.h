#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "tests/support/TempDir.h"

// A socket listening on a free loopback port, which it sets.
int ListenLoopback(int backlog, uint16_t& port);

// A real serial device server for the tests: ser2net in the foreground,
// bridging one device on a free loopback port, raw or RFC 2217.
class Ser2net {
public:
    static constexpr char kProgram[] = "/usr/sbin/ser2net";
    static bool Installed();
    // A loopback port nobody listens on right now.
    static uint16_t FreePort();

    Ser2net(const std::string& device, bool rfc2217);
    ~Ser2net();
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    // Starts the server and waits until its port takes connections.
    bool Start();
    void Kill();
    uint16_t port() const { return m_port; }
    // The port-map entry that leads to it: "tcp:127.0.0.1:N" or "rfc2217:...".
    std::string Target() const;

private:
    std::string m_device;
    bool m_rfc2217;
    uint16_t m_port;
    TempDir m_dir;
    pid_t m_pid = -1;
};

// A loopback port whose one-place backlog is already taken: a connect to it
// gets no answer at all, like one to a server that is switched off.
class DeafPort {
public:
    DeafPort();
    ~DeafPort();
    DeafPort(const DeafPort&) = delete;
    DeafPort& operator=(const DeafPort&) = delete;
    std::string Target() const { return "tcp:127.0.0.1:" + std::to_string(m_port); }

private:
    uint16_t m_port = 0;  // set by the listener's initialiser, so declared first
    int m_listener = -1;
    int m_filler = -1;
};
