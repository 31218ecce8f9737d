#pragma once

// Who else has a serial device: the UUCP lock file that serial programs on
// Linux take in /run/lock (minicom, picocom, cu, lockdev), and the processes
// holding the device open. Not part of the folder's public interface.

#include <string>
#include <vector>

// The lock file for `device` (followed to its node): "LCK..ttyUSB0"; below
// /dev/ the rest of the path with '/' made '_', as lockdev does, so
// /dev/pts/3 is "LCK..pts_3".
std::string UucpLockPath(const std::string& device);

// The live process named in the device's lock file, other than this one; 0
// for none.
long UucpLockHolder(const std::string& device);

// A lock file taken for this process while the port is open.
class UucpLock {
public:
    UucpLock() = default;
    ~UucpLock() { Release(); }
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // False with `holder` set when a live process has the device locked. A
    // lock of a dead process is removed first. A folder this user cannot
    // write in is no refusal: the port is then guarded by its flock alone.
    bool Take(const std::string& device, long& holder);
    // Removes the file if it is still this process's.
    void Release();
    bool Held() const { return !m_path.empty(); }

private:
    std::string m_path;
};

// Other processes that hold the device itself open (any node with its device
// number). A pseudo-terminal's far end (the process that also holds its
// master, such as the virtual dome) is not counted.
std::vector<long> DeviceHolders(const std::string& device);
