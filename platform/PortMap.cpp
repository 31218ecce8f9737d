#include "platform/PortMap.h"

#include <sys/stat.h>

#include <cstdlib>

std::string PortMapDir() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative value is to be ignored: it would move with the current folder.
    if (xdg != nullptr && xdg[0] == '/') {
        return std::string(xdg) + "/orvane/ports";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.config/orvane/ports";
    }
    // Not "/.config": a map at the file-system root would be anyone's.
    return std::string();
}

std::string PortMapPath(unsigned portNumber) {
    const std::string dir = PortMapDir();
    return dir.empty() ? dir : dir + "/COM" + std::to_string(portNumber);
}

std::string ResolveComPort(unsigned portNumber) {
    std::string link = PortMapPath(portNumber);
    struct stat st {};
    if (!link.empty() && lstat(link.c_str(), &st) == 0) {
        return link;
    }
    if (portNumber == 0) {
        return std::string();  // there is no COM0
    }
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}
