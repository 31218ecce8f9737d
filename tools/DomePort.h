#pragma once

#include <string>

#include "platform/Result.h"

// The dome's end of the line: a pseudo-terminal whose slave stands in for a
// serial device. A slave descriptor stays open here, so the master does not
// see EIO while the program under test closes and reopens the port.
class DomePort {
public:
    DomePort() = default;
    ~DomePort();
    DomePort(const DomePort&) = delete;
    DomePort& operator=(const DomePort&) = delete;

    // Opens the pty in raw mode.
    orvane::Result Open();
    int master() const { return m_master; }
    const std::string& slavePath() const { return m_slavePath; }

    // Clears an exclusive-use flag left behind by a program that closed the
    // port. The kernel only drops it on the last close, which our own slave
    // descriptor prevents, so an unprivileged program could not reopen.
    // Leaves it alone while anyone holds the port's lock.
    void ReleaseStaleExclusive();

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

// The "COMn" entry of the port map, pointing at the dome's pty, with a record
// beside it that the link is this process's (see platform/PortBindings.h).
class PortLink {
public:
    PortLink() = default;
    ~PortLink() { Remove(); }
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    // Makes PortMapPath(port) a symlink to `target`. A link left by a dome
    // that is no longer running is replaced; any other entry only when
    // `force` is set, and then put back by Remove.
    orvane::Result Create(unsigned port, const std::string& target, bool force);

    // Removes the link, or puts back the one it replaced, if it still points
    // where this object made it point.
    void Remove();

    const std::string& path() const { return m_path; }

private:
    unsigned m_port = 0;
    std::string m_path;
    std::string m_target;
    bool m_bRestore = false;
    std::string m_replacedTarget;
    std::string m_replacedOwner;  // the record that came with it, if any
};
