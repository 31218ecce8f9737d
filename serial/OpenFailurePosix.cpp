#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "serial/OpenFailure.h"

namespace {

std::string ProcessName(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name.empty() ? "a program" : name;
}

std::string Holder(long pid) {
    return ProcessName(pid) + " (pid " + std::to_string(pid) + ")";
}

// The process holding a flock on the file, from /proc/locks, whose entries
// name the file as "major:minor:inode" with the numbers of its file system
// in hexadecimal.
long FlockHolder(const struct stat& st) {
    std::ifstream in("/proc/locks");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string index, kind, mode, access, id;
        long pid = 0;
        if (!(fields >> index >> kind >> mode >> access >> pid >> id) || kind != "FLOCK") {
            continue;
        }
        unsigned major = 0, minor = 0;
        unsigned long inode = 0;
        if (std::sscanf(id.c_str(), "%x:%x:%lu", &major, &minor, &inode) == 3 &&
            makedev(major, minor) == st.st_dev && inode == st.st_ino) {
            return pid;
        }
    }
    return 0;
}

// Other processes with the device open, from their descriptors in /proc.
std::vector<long> OpenedBy(const struct stat& st) {
    std::vector<long> pids;
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
        const std::string fdDir = "/proc/" + std::string(entry->d_name) + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (fds == nullptr) {
            continue;
        }
        while (const dirent* fd = ::readdir(fds)) {
            struct stat other {};
            if (fd->d_name[0] != '.' && ::stat((fdDir + "/" + fd->d_name).c_str(), &other) == 0 &&
                other.st_dev == st.st_dev && other.st_ino == st.st_ino) {
                pids.push_back(pid);
                break;
            }
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return pids;
}

class SystemFacts : public HostFacts {
public:
    bool DeviceGroup(const std::string& path, unsigned& gid, std::string& name) const override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            return false;
        }
        const group* g = ::getgrgid(st.st_gid);
        gid = st.st_gid;
        name = g != nullptr ? g->gr_name : std::to_string(st.st_gid);
        return true;
    }
    std::string UserName() const override {
        const passwd* pw = ::getpwuid(::geteuid());
        return pw != nullptr ? pw->pw_name : std::string();
    }
    bool UserListedInGroup(const std::string& user, unsigned gid) const override {
        const passwd* pw = ::getpwnam(user.c_str());
        int count = 64;
        std::vector<gid_t> groups(static_cast<size_t>(count));
        const gid_t primary = pw != nullptr ? pw->pw_gid : gid_t(-1);
        if (::getgrouplist(user.c_str(), primary, groups.data(), &count) < 0) {
            groups.resize(static_cast<size_t>(count));
            ::getgrouplist(user.c_str(), primary, groups.data(), &count);
        }
        groups.resize(static_cast<size_t>(std::max(count, 0)));
        return std::find(groups.begin(), groups.end(), gid) != groups.end();
    }
    bool SessionHasGroup(unsigned gid) const override {
        if (::getegid() == gid) {
            return true;
        }
        const int count = ::getgroups(0, nullptr);
        std::vector<gid_t> groups(static_cast<size_t>(std::max(count, 0)));
        const int got = ::getgroups(static_cast<int>(groups.size()), groups.data());
        groups.resize(static_cast<size_t>(std::max(got, 0)));
        return std::find(groups.begin(), groups.end(), gid) != groups.end();
    }
    std::vector<std::string> Holders(const std::string& path) const override {
        std::vector<std::string> holders;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            return holders;
        }
        std::set<long> named;
        if (const long locker = FlockHolder(st); locker > 0) {
            holders.push_back(Holder(locker));
            named.insert(locker);
        }
        for (long pid : OpenedBy(st)) {
            if (named.insert(pid).second) {
                holders.push_back(Holder(pid));
            }
        }
        return holders;
    }
};

}  // namespace

const HostFacts& SystemHostFacts() {
    static const SystemFacts facts;
    return facts;
}
