#pragma once

#include <vector>

#include "app/PortDiscovery.h"

// A device list set by the test; counts how often it was read.
class ScriptedPortDiscovery : public IPortDiscovery {
public:
    std::vector<SerialDeviceInfo> List() override {
        ++reads;
        return devices;
    }

    std::vector<SerialDeviceInfo> devices;
    int reads = 0;
};
