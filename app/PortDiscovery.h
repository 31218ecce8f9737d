#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One serial device the system enumerates.
struct SerialDeviceInfo {
    std::string systemPath;  // /dev/ttyUSB0
    std::string byIdPath;    // its /dev/serial/by-id/ link; empty without one
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    bool isUsb = false;  // the ids are known
};

// The serial devices present. The program asks the system; tests script the list.
class IPortDiscovery {
public:
    virtual ~IPortDiscovery() = default;
    virtual std::vector<SerialDeviceInfo> List() = 0;
};

inline constexpr char kSerialByIdDir[] = "/dev/serial/by-id";

// The entry of `folder` that leads to `device`; empty when none does. The
// by-id name stays the same when an adapter comes back under another number.
std::string FindByIdLink(const std::string& device, const std::string& folder = kSerialByIdDir);

// The path a binding should name: the stable by-id link when there is one.
std::string BindingPathFor(const SerialDeviceInfo& device);

// "COMn - what it leads to": a device's description and serial number, a
// path, "not mapped", "nothing at <target>" or a virtual dome's link.
std::string ComPortLabel(unsigned portNumber, const std::vector<SerialDeviceInfo>& devices);

// The COM ports (1..8) whose mapping leads to `device`, as "COM1, COM3".
std::string PortsLeadingTo(const SerialDeviceInfo& device);
