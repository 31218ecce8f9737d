#pragma once

#include <string>
#include <vector>

#include "platform/PortBindings.h"

// Why the last OpenComm failed, in terms an operator can act on.
enum class OpenFailureKind {
    None,
    BadRequest,        // no callback, no such port number, or invalid line settings
    NoMapping,         // no COMn link and no /dev/ttyS<n-1>
    NothingThere,      // the path (or the link's target) leads to no device
    StaleDomeLink,     // a virtual dome's link whose dome is no longer running
    PermissionDenied,  // the user may not open the device
    Busy,              // another program holds the device
    NotSerial,         // the device is not a terminal
    SettingsRefused,   // the device refused the line settings
    NoMonitor,         // the port's thread could not be started
    NameNotFound,      // a network entry's host name does not resolve
    ConnectRefused,    // nothing listens on the server's port
    NoAnswer,          // the server did not answer in time (connect or settings)
    NotRfc2217,        // the server's port did not take COM-PORT-OPTION
    ServerClosed,      // the server hung up during the open
    Failed,            // anything else; see sysError
};

// The detail of a failed open that DescribeOpenFailure makes the operator's
// text from; CSerialPort::LastOpenResult() is what callers report.
struct OpenFailure {
    OpenFailureKind kind = OpenFailureKind::None;
    int sysError = 0;  // the system's error number where one applies
    unsigned portNumber = 0;
    std::string path;    // what was opened: the COMn link or /dev/ttyS<n-1>
    std::string target;  // where the COMn link leads; empty without a link
    long domePid = 0;    // for StaleDomeLink
    StaleReason staleReason = StaleReason::None;
    std::string runningName;  // what runs under domePid now
    std::string line;         // the line settings asked for, as "9600 8N1"
};

// What the reason text needs to know about the system. The real one asks the
// system; tests script it.
class HostFacts {
public:
    virtual ~HostFacts() = default;
    // Who may use the device at `path`; false when it cannot be told.
    struct DeviceAccess {
        unsigned gid = 0;
        std::string group;       // its name
        unsigned mode = 0;       // the permission bits, e.g. 0660
        std::string kernelName;  // the node's own name, "ttyUSB0", for a udev rule
    };
    virtual bool DeviceGroup(const std::string& path, DeviceAccess& access) const = 0;
    virtual std::string UserName() const = 0;
    // The group database lists the user in the group.
    virtual bool UserListedInGroup(const std::string& user, unsigned gid) const = 0;
    // This process carries the group (it does not until the user logs in again).
    virtual bool SessionHasGroup(unsigned gid) const = 0;
    // Other programs holding the device, "name (pid N)": the holder of its
    // lock file, of its flock, then any other that has the device itself open.
    virtual std::vector<std::string> Holders(const std::string& path) const = 0;
};

const HostFacts& SystemHostFacts();

// One or more sentences to show under "Serial Port Open Failed!"; empty for
// OpenFailureKind::None.
std::string DescribeOpenFailure(const OpenFailure& failure,
                                const HostFacts& host = SystemHostFacts());
