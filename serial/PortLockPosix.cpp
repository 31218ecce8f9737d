#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/DeviceNode.h"
#include "serial/PortLock.h"

namespace {

std::string RealPath(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) != nullptr ? std::string(buf) : path;
}

// A lock file holds the pid as ten ASCII digits, right-aligned, and a newline.
long ReadLockPid(const std::string& path) {
    std::ifstream in(path);
    long pid = 0;
    return in >> pid && pid > 0 ? pid : 0;
}

std::string ReadLink(const std::string& path) {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof(buf) - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

// The pty number behind a /dev/ptmx descriptor, from its fdinfo; -1 otherwise.
long PtyIndexOf(const std::string& fdinfo) {
    std::ifstream in(fdinfo);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("tty-index:", 0) == 0) {
            return std::strtol(line.c_str() + 10, nullptr, 10);
        }
    }
    return -1;
}

}  // namespace

std::string UucpLockPath(const std::string& device) {
    std::string name = RealPath(device);
    if (name.rfind("/dev/", 0) == 0) {
        name.erase(0, 5);
    } else {
        name.erase(0, name.rfind('/') + 1);
    }
    for (char& c : name) {
        c = c == '/' ? '_' : c;
    }
    return UucpLockDir() + "/LCK.." + name;
}

long UucpLockHolder(const std::string& device) {
    const long pid = ReadLockPid(UucpLockPath(device));
    return pid != ::getpid() && ReadProcess(pid).running ? pid : 0;
}

bool UucpLock::Take(const std::string& device, long& holder) {
    Release();
    holder = 0;
    const std::string path = UucpLockPath(device);
    const std::string temp = UucpLockDir() + "/LTMP." + std::to_string(::getpid());
    char text[16];
    const int length = std::snprintf(text, sizeof(text), "%10ld\n", static_cast<long>(::getpid()));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return true;  // not ours to lock: the flock still guards the port
    }
    const bool written = ::write(fd, text, static_cast<size_t>(length)) == length;
    ::close(fd);
    // link() makes the lock whole or not at all, so no reader sees it half written.
    for (int attempt = 0; written && attempt < 2; ++attempt) {
        if (::link(temp.c_str(), path.c_str()) == 0) {
            m_path = path;
            break;
        }
        if (errno != EEXIST) {
            break;
        }
        const long pid = ReadLockPid(path);
        if (pid == ::getpid()) {
            break;  // this process's own, from a port it still has open
        }
        if (ReadProcess(pid).running) {
            holder = pid;
            break;
        }
        ::unlink(path.c_str());  // its process is gone
    }
    ::unlink(temp.c_str());
    return holder == 0;
}

void UucpLock::Release() {
    if (!m_path.empty() && ReadLockPid(m_path) == ::getpid()) {
        ::unlink(m_path.c_str());
    }
    m_path.clear();
}

std::vector<long> DeviceHolders(const std::string& device) {
    std::vector<long> pids;
    struct stat node {};
    if (::stat(device.c_str(), &node) != 0 || !S_ISCHR(node.st_mode)) {
        return pids;
    }
    // A pseudo-terminal slave /dev/pts/N: N is what its master's fdinfo names.
    const std::string real = RealPath(device);
    const bool pts = real.rfind("/dev/pts/", 0) == 0;
    const long ptyIndex = pts ? std::strtol(real.c_str() + 9, nullptr, 10) : -1;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return pids;
    }
    const long self = ::getpid();
    while (const dirent* entry = ::readdir(proc)) {
        const long pid = std::strtol(entry->d_name, nullptr, 10);
        if (pid <= 0 || pid == self) {
            continue;
        }
        const std::string dir = "/proc/" + std::string(entry->d_name);
        DIR* fds = ::opendir((dir + "/fd").c_str());
        if (fds == nullptr) {
            continue;
        }
        bool holds = false, farEnd = false;
        while (const dirent* fd = ::readdir(fds)) {
            if (fd->d_name[0] == '.') {
                continue;
            }
            const std::string link = dir + "/fd/" + fd->d_name;
            // Only device nodes matter; everything else is skipped unread.
            const std::string target = ReadLink(link);
            if (target.rfind("/dev/", 0) != 0) {
                continue;
            }
            if (pts && (target == "/dev/ptmx" || target == "/dev/pts/ptmx")) {
                farEnd = farEnd || PtyIndexOf(dir + "/fdinfo/" + fd->d_name) == ptyIndex;
                continue;
            }
            struct stat other {};
            holds = holds || (::stat(link.c_str(), &other) == 0 && S_ISCHR(other.st_mode) &&
                              other.st_rdev == node.st_rdev);
        }
        ::closedir(fds);
        if (holds && !farEnd) {
            pids.push_back(pid);
        }
    }
    ::closedir(proc);
    return pids;
}
