#include "platform/DeviceNode.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <mutex>
#include <sstream>

namespace {

// The device numbers of the pseudo-terminal multiplexer and the controlling tty.
constexpr unsigned kTtyAuxMajor = 5;
constexpr unsigned kTtyMinor = 0;
constexpr unsigned kPtmxMinor = 2;
// UNIX98 pseudo-terminal slaves: no sysfs entry, but their own majors.
constexpr unsigned kPtsFirstMajor = 136;
constexpr unsigned kPtsLastMajor = 143;

constexpr char kDefaultLockDir[] = "/run/lock";

std::mutex g_lockDirMutex;
std::string g_lockDir;

}  // namespace

std::string UucpLockDir() {
    std::lock_guard<std::mutex> lock(g_lockDirMutex);
    return g_lockDir.empty() ? kDefaultLockDir : g_lockDir;
}

void SetUucpLockDir(const std::string& dir) {
    std::lock_guard<std::mutex> lock(g_lockDirMutex);
    g_lockDir = dir;
}

bool IsSerialDeviceNode(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) {
        return false;
    }
    const unsigned major = ::major(st.st_rdev);
    const unsigned minor = ::minor(st.st_rdev);
    if (major == kTtyAuxMajor && (minor == kPtmxMinor || minor == kTtyMinor)) {
        return false;
    }
    if (major >= kPtsFirstMajor && major <= kPtsLastMajor) {
        return true;
    }
    const std::string sys = "/sys/dev/char/" + std::to_string(major) + ":" + std::to_string(minor);
    char buf[512];
    const ssize_t n = ::readlink((sys + "/subsystem").c_str(), buf, sizeof(buf) - 1);
    if (n < 0) {
        // No such device behind the node, or no /sys (some containers): the
        // open tells what it is.
        return true;
    }
    const std::string subsystem(buf, static_cast<size_t>(n));
    return subsystem.size() >= 4 && subsystem.compare(subsystem.size() - 4, 4, "/tty") == 0;
}

ProcessIdentity ReadProcess(long pid) {
    ProcessIdentity id;
    if (pid <= 0) {
        return id;
    }
    const std::string dir = "/proc/" + std::to_string(pid);
    std::ifstream statFile(dir + "/stat");
    std::string stat;
    if (!std::getline(statFile, stat)) {
        // No /proc to read: the signal test at least tells a live pid.
        id.running = ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
        return id;
    }
    // The name in parentheses may hold blanks and ')': the fields start after the last one.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return id;
    }
    std::istringstream fields(stat.substr(close + 1));
    char state = 0;
    fields >> state;
    std::string skip;
    for (int field = 4; field < 22 && fields >> skip; ++field) {
    }
    fields >> id.startTime;
    id.running = fields && state != 'Z' && state != 'X';
    std::ifstream comm(dir + "/comm");
    std::getline(comm, id.name);
    return id;
}
