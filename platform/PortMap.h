#pragma once

#include <string>

// "COMn" on Linux: $XDG_CONFIG_HOME/orvane/ports/COMn (default
// ~/.config/orvane/ports/COMn) when that entry exists, usually a symlink to a
// USB adapter or a pty; otherwise /dev/ttyS<n-1>.

// The folder that holds the COMn links; empty when neither XDG_CONFIG_HOME
// nor HOME is set.
std::string PortMapDir();

// The link path for port n, whether or not it exists; empty without a folder.
std::string PortMapPath(unsigned portNumber);

// The device to open for port n; empty for port 0, which does not exist.
std::string ResolveComPort(unsigned portNumber);
