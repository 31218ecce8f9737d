#pragma once

#include <string>

#include "tests/support/TempDir.h"

// Points XDG_CONFIG_HOME at a fresh temporary folder for the test's life, so
// "COMn" links made with Link() never touch the user's own port map; serial
// lock files go to its "lock" folder instead of /run/lock.
class ScopedPortMap {
public:
    ScopedPortMap();
    ~ScopedPortMap();
    ScopedPortMap(const ScopedPortMap&) = delete;
    ScopedPortMap& operator=(const ScopedPortMap&) = delete;

    // Makes "COMn" a symlink to `device`, replacing any previous link.
    bool Link(unsigned portNumber, const std::string& device);
    const std::string& root() const { return m_dir.path(); }

private:
    TempDir m_dir;
    std::string m_old;
    bool m_hadOld = false;
};
