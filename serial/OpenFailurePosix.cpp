#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "serial/OpenFailure.h"
#include "serial/PortLock.h"

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

class SystemFacts : public HostFacts {
public:
    bool DeviceGroup(const std::string& path, DeviceAccess& access) const override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            return false;
        }
        const group* g = ::getgrgid(st.st_gid);
        access.gid = st.st_gid;
        access.group = g != nullptr ? g->gr_name : std::to_string(st.st_gid);
        access.mode = st.st_mode & 07777;
        char real[PATH_MAX];
        const std::string node = ::realpath(path.c_str(), real) != nullptr ? real : path;
        access.kernelName = node.substr(node.rfind('/') + 1);
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
        for (const long locker : {UucpLockHolder(path), FlockHolder(st)}) {
            if (locker > 0 && named.insert(locker).second) {
                holders.push_back(Holder(locker));
            }
        }
        for (long pid : DeviceHolders(path)) {
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
