#include "platform/PortName.h"

#include <sys/stat.h>

#include <cstdlib>

std::string PortMapDir() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg != nullptr && xdg[0] != '\0') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.config";
    }
    return base + "/orvane/ports";
}

std::string PortMapPath(unsigned portNumber) {
    return PortMapDir() + "/COM" + std::to_string(portNumber);
}

std::string ResolveComPort(unsigned portNumber) {
    const std::string link = PortMapPath(portNumber);
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0) {
        return link;
    }
    if (portNumber == 0) {
        return std::string();  // there is no COM0
    }
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}
