#pragma once

#include <string>

// What the system knows about a device node and a process, read from /dev,
// /sys and /proc without opening the device.

// `path` (followed to the end) is a terminal that can carry a serial line: a
// character device of the tty class that is not a pseudo-terminal master
// (/dev/ptmx, which makes a new unconnected terminal at every open) and not
// /dev/tty. A node the system has no class for is left to the open to judge.
// The one place that decides it.
bool IsSerialDeviceNode(const std::string& path);

// A process as /proc shows it; `running` is false for no such process and for
// one that has exited but is not yet reaped (a zombie).
struct ProcessIdentity {
    bool running = false;
    unsigned long long startTime = 0;  // clock ticks after boot (field 22 of stat)
    std::string name;                  // its comm, e.g. "orvane-vdome"
};

ProcessIdentity ReadProcess(long pid);

// Where serial programs keep their UUCP lock files ("LCK..ttyUSB0").
std::string UucpLockDir();
// Test seam: another folder for them; empty restores /run/lock.
void SetUucpLockDir(const std::string& dir);
