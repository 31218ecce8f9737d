#pragma once

#include "app/PortDiscovery.h"

// The system's own enumeration (udev or sysfs through QSerialPortInfo), with
// each device's by-id link.
class QtPortDiscovery : public IPortDiscovery {
public:
    std::vector<SerialDeviceInfo> List() override;
};
