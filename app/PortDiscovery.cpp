#include "app/PortDiscovery.h"

#include <filesystem>

#include "commandlist/SelectionTables.h"
#include "console/Texts.h"
#include "platform/NetworkPort.h"
#include "platform/PortBindings.h"
#include "platform/PortMap.h"

namespace fs = std::filesystem;

namespace {

// Empty when the path leads nowhere, so two dangling paths never match.
std::string Canonical(const std::string& path) {
    std::error_code ec;
    const fs::path resolved = fs::canonical(path, ec);
    return ec ? std::string() : resolved.string();
}

std::string DeviceText(const SerialDeviceInfo& d) {
    if (d.description.empty()) {
        return d.systemPath;
    }
    return d.serialNumber.empty() ? d.description : d.description + " (" + d.serialNumber + ")";
}

// What an existing path leads to: the enumerated device's own words when it
// is one of them, the path otherwise (a pty, a port the system does not list).
std::string Describe(const std::string& path, const std::string& shown,
                     const std::vector<SerialDeviceInfo>& devices) {
    const std::string real = Canonical(path);
    for (const SerialDeviceInfo& d : devices) {
        if (!real.empty() && Canonical(d.systemPath) == real) {
            return DeviceText(d);
        }
    }
    return shown;
}

}  // namespace

std::string FindByIdLink(const std::string& device, const std::string& folder) {
    const std::string real = Canonical(device);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (real.empty() || ec) {
        return std::string();
    }
    for (const fs::directory_entry& entry : it) {
        if (entry.is_symlink(ec) && Canonical(entry.path().string()) == real) {
            return entry.path().string();
        }
    }
    return std::string();
}

std::string BindingPathFor(const SerialDeviceInfo& device) {
    return device.byIdPath.empty() ? device.systemPath : device.byIdPath;
}

std::string ComPortLabel(unsigned portNumber, const std::vector<SerialDeviceInfo>& devices) {
    const std::string com = "COM" + std::to_string(portNumber) + " - ";
    // Listing the ports puts back a user's link that a killed --force dome took.
    RestoreReplacedLink(portNumber);
    const PortBinding binding = ReadPortBinding(portNumber);
    if (binding.linked) {
        if (const std::optional<NetworkTarget> server = ParseNetworkTarget(binding.target)) {
            const std::string form =
                server->mode == NetworkMode::Rfc2217
                    ? texts::translate("PortDiscovery", "%1 (RFC 2217)")
                    : texts::translate("PortDiscovery", "%1 (raw: the server's line settings)");
            return com + texts::Fill(form, {NetworkEndpoint(*server)});
        }
        if (binding.StaleDomeLink()) {
            return com +
                   (binding.staleReason == StaleReason::Gone
                        ? texts::translate("PortDiscovery", "stale link of a stopped virtual dome")
                        : texts::translate("PortDiscovery",
                                           "stale link: its dome's record does not match "
                                           "a running dome"));
        }
        if (binding.domePid != 0) {
            return com + texts::Fill(texts::translate("PortDiscovery", "virtual dome on %1"),
                                     {binding.target});
        }
        if (!binding.targetExists) {
            return com + texts::Fill(texts::translate("PortDiscovery", "nothing at %1"),
                                     {binding.target});
        }
        if (!binding.targetSerial) {
            return com + texts::Fill(texts::translate("PortDiscovery", "%1 is not a serial device"),
                                     {binding.target});
        }
        return com + Describe(binding.link, binding.target, devices);
    }
    const std::string fallback = ResolveComPort(portNumber);
    std::error_code ec;
    if (fallback.empty() || !fs::exists(fallback, ec)) {
        return com + texts::translate("PortDiscovery", "not mapped");
    }
    return com + Describe(fallback, fallback, devices);
}

std::string PortsLeadingTo(const SerialDeviceInfo& device) {
    const std::string real = Canonical(device.systemPath);
    std::string ports;
    for (unsigned n : kPortNumbers) {
        if (!real.empty() && Canonical(ResolveComPort(n)) == real) {
            ports += (ports.empty() ? "COM" : ", COM") + std::to_string(n);
        }
    }
    return ports;
}
