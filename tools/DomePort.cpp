#include "tools/DomePort.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "platform/PortBindings.h"
#include "platform/PortMap.h"

namespace {

orvane::Result Errno(std::string what) {
    return orvane::Result::Failed(std::move(what), errno);
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

orvane::Result DomePort::Open() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) {
        return Errno("cannot create a pseudo-terminal");
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        return Errno("cannot unlock the pseudo-terminal");
    }
    char name[256];
    if (::ptsname_r(m_master, name, sizeof(name)) != 0) {
        return Errno("cannot name the pseudo-terminal");
    }
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        return Errno("cannot open " + m_slavePath);
    }
    // A new pty is cooked with echo; frames must pass byte for byte.
    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0) {
        return Errno("cannot read the line settings of " + m_slavePath);
    }
    ::cfmakeraw(&tio);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0) {
        return Errno("cannot set raw mode on " + m_slavePath);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    return {};
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

orvane::Result PortLink::Create(unsigned port, const std::string& target, bool force) {
    if (orvane::Result made = EnsureMapDir(); !made) {
        return made;
    }
    const std::string path = PortMapPath(port);
    // symlink() itself refuses an existing entry, with no window between
    // looking and making.
    if (::symlink(target.c_str(), path.c_str()) != 0) {
        if (errno != EEXIST) {
            return Errno("cannot create " + path);
        }
        PortBinding old = ReadPortBinding(port);
        // A killed --force dome left the user's link in its record: it comes
        // back first, and is then the user's link like any other.
        if (RestoreReplacedLink(port)) {
            old = ReadPortBinding(port);
        }
        if (!old.StaleDomeLink()) {
            if (!force) {
                return orvane::Result::Failed(
                    {}, EEXIST,
                    path + " already exists" +
                        (old.target.empty() ? "" : " (-> " + old.target + ")") +
                        (old.domeRunning ? ", made by orvane-vdome process " +
                                               std::to_string(old.domePid) + ", still running"
                                         : "") +
                        "; not replacing it without --force");
            }
            if (!old.linked) {
                return orvane::Result::Failed({}, EEXIST,
                                              path + " is not a link; not replacing it");
            }
            m_bRestore = true;
            m_replacedTarget = old.target;
            std::ifstream owner(PortOwnerPath(port));
            m_replacedOwner.assign(std::istreambuf_iterator<char>(owner),
                                   std::istreambuf_iterator<char>());
        }
        // Built beside the final name and renamed over it, so the entry never
        // goes missing while it is replaced.
        if (orvane::Result replaced = ReplaceWithSymlink(path, target); !replaced) {
            m_bRestore = false;
            return replaced;
        }
    }
    m_port = port;
    m_path = path;
    m_target = target;
    if (orvane::Result recorded = RecordDomeOwner(port, ::getpid(), target,
                                                  m_bRestore ? m_replacedTarget : std::string());
        !recorded) {
        Remove();
        return recorded;
    }
    return {};
}

void PortLink::Remove() {
    if (m_path.empty()) {
        return;
    }
    // Someone who re-pointed the link since owns it now.
    if (ReadLink(m_path) == m_target) {
        const std::string owner = PortOwnerPath(m_port);
        if (m_bRestore && ReplaceWithSymlink(m_path, m_replacedTarget)) {
            if (m_replacedOwner.empty()) {
                ::unlink(owner.c_str());
            } else {
                std::ofstream(owner, std::ios::trunc) << m_replacedOwner;
            }
        } else {
            ::unlink(m_path.c_str());
            ::unlink(owner.c_str());
        }
    }
    m_path.clear();
    m_bRestore = false;
}
