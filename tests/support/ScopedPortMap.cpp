#include "tests/support/ScopedPortMap.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "platform/DeviceNode.h"
#include "platform/PortMap.h"

namespace fs = std::filesystem;

ScopedPortMap::ScopedPortMap() {
    const char* old = getenv("XDG_CONFIG_HOME");
    m_hadOld = old != nullptr;
    if (m_hadOld) {
        m_old = old;
    }
    setenv("XDG_CONFIG_HOME", m_dir.path().c_str(), 1);
    std::error_code ec;
    fs::create_directories(PortMapDir(), ec);
    // Serial programs' lock files too, so no test touches /run/lock.
    fs::create_directories(m_dir.File("lock"), ec);
    SetUucpLockDir(m_dir.File("lock"));
}

ScopedPortMap::~ScopedPortMap() {
    SetUucpLockDir(std::string());
    if (m_hadOld) {
        setenv("XDG_CONFIG_HOME", m_old.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

bool ScopedPortMap::Link(unsigned portNumber, const std::string& device) {
    const std::string link = PortMapPath(portNumber);
    ::unlink(link.c_str());
    return ::symlink(device.c_str(), link.c_str()) == 0;
}
