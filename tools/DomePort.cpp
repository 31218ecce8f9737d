#include "tools/DomePort.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/PortBindings.h"
#include "platform/PortMap.h"

namespace {

std::string Errno(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string ReadLink(const std::string& path) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof(buf) - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

}  // namespace

DomePort::~DomePort() {
    if (m_slave >= 0) {
        ::close(m_slave);
    }
    if (m_master >= 0) {
        ::close(m_master);
    }
}

bool DomePort::Open(std::string& error) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) {
        error = Errno("cannot create a pseudo-terminal");
        return false;
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        error = Errno("cannot unlock the pseudo-terminal");
        return false;
    }
    char name[256];
    if (::ptsname_r(m_master, name, sizeof(name)) != 0) {
        error = Errno("cannot name the pseudo-terminal");
        return false;
    }
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        error = Errno("cannot open " + m_slavePath);
        return false;
    }
    // A new pty is cooked with echo; frames must pass byte for byte.
    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0) {
        error = Errno("cannot read the line settings of " + m_slavePath);
        return false;
    }
    ::cfmakeraw(&tio);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0) {
        error = Errno("cannot set raw mode on " + m_slavePath);
        return false;
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    return true;
}

void DomePort::ReleaseStaleExclusive() {
    int exclusive = 0;
    if (m_slave < 0 || ::ioctl(m_slave, TIOCGEXCL, &exclusive) != 0 || exclusive == 0) {
        return;
    }
    // Holding the lock while clearing means no program can be half-way
    // through taking the port in the meantime.
    if (::flock(m_slave, LOCK_EX | LOCK_NB) != 0) {
        return;
    }
    ::ioctl(m_slave, TIOCNXCL);
    ::flock(m_slave, LOCK_UN);
}

bool PortLink::Create(unsigned port, const std::string& target, bool force, std::string& error) {
    if (!EnsureMapDir(error)) {
        return false;
    }
    const std::string path = PortMapPath(port);
    // symlink() itself refuses an existing entry, with no window between
    // looking and making.
    if (::symlink(target.c_str(), path.c_str()) != 0) {
        if (errno != EEXIST) {
            error = Errno("cannot create " + path);
            return false;
        }
        const PortBinding old = ReadPortBinding(port);
        if (!old.StaleDomeLink()) {
            if (!force) {
                error = path + " already exists" +
                        (old.target.empty() ? "" : " (-> " + old.target + ")") +
                        (old.domeRunning ? ", made by orvane-vdome process " +
                                               std::to_string(old.domePid) + ", still running"
                                         : "") +
                        "; not replacing it without --force";
                return false;
            }
            if (!old.linked) {
                error = path + " is not a link; not replacing it";
                return false;
            }
            m_bRestore = true;
            m_replacedTarget = old.target;
            std::ifstream owner(PortOwnerPath(port));
            std::getline(owner, m_replacedOwner);
        }
        // Built beside the final name and renamed over it, so the entry never
        // goes missing while it is replaced.
        if (!ReplaceWithSymlink(path, target, error)) {
            m_bRestore = false;
            return false;
        }
    }
    m_port = port;
    m_path = path;
    m_target = target;
    if (!RecordDomeOwner(port, ::getpid(), target, error)) {
        Remove();
        return false;
    }
    return true;
}

void PortLink::Remove() {
    if (m_path.empty()) {
        return;
    }
    // Someone who re-pointed the link since owns it now.
    if (ReadLink(m_path) == m_target) {
        const std::string owner = PortOwnerPath(m_port);
        std::string ignored;
        if (m_bRestore && ReplaceWithSymlink(m_path, m_replacedTarget, ignored)) {
            if (m_replacedOwner.empty()) {
                ::unlink(owner.c_str());
            } else {
                std::ofstream(owner, std::ios::trunc) << m_replacedOwner << '\n';
            }
        } else {
            ::unlink(m_path.c_str());
            ::unlink(owner.c_str());
        }
    }
    m_path.clear();
    m_bRestore = false;
}
