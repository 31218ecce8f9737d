#include "serial/OpenFailure.h"

#include <cstdio>
#include <cstring>

#include "platform/NetworkPort.h"
#include "platform/PortMap.h"
#include "serial/NetworkDevice.h"

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string PermissionText(const std::string& device, const std::string& path,
                           const HostFacts& host) {
    std::string text = "Permission denied on " + device + ".";
    HostFacts::DeviceAccess access;
    const std::string user = host.UserName();
    if (!host.DeviceGroup(path, access) || user.empty()) {
        return text;
    }
    // Joining the group helps only when the group may read and write it; root's
    // group never should be joined for it.
    if ((access.mode & 060) != 060 || access.gid == 0) {
        char mode[8];
        std::snprintf(mode, sizeof(mode), "%04o", access.mode & 07777);
        return text + " It is not open to its group " + Quoted(access.group) + " (mode " + mode +
               "), so joining a group does not help. A udev rule can give it to the group "
               "dialout, for example this line in /etc/udev/rules.d/60-orvane.rules:\n"
               "    SUBSYSTEM==\"tty\", KERNEL==\"" +
               access.kernelName +
               "\", GROUP=\"dialout\", MODE=\"0660\"\n"
               "then run \"sudo udevadm trigger\" (or plug the adapter in again) and make sure "
               "user " +
               Quoted(user) + " is in dialout (the command id lists their groups).";
    }
    if (!host.UserListedInGroup(user, access.gid)) {
        return text + " It belongs to the group " + Quoted(access.group) + ", and user " +
               Quoted(user) + " is not in it. Add them with\n    sudo usermod -aG " + access.group +
               " " + user + "\nthen log out and log in again.";
    }
    if (!host.SessionHasGroup(access.gid)) {
        return text + " User " + Quoted(user) + " is in its group " + Quoted(access.group) +
               ", but this session started before that: log out and log in again.";
    }
    return text + " User " + Quoted(user) + " is in its group " + Quoted(access.group) +
           ", which may read and write it, yet it was refused: look for an access control list "
           "(getfacl " +
           device + ") or a security module.";
}

std::string StaleText(const OpenFailure& f) {
    const std::string pid = std::to_string(f.domePid);
    switch (f.staleReason) {
        case StaleReason::NotADome:
            return "that is gone: process " + pid + " is now " +
                   Quoted(f.runningName.empty() ? "another program" : f.runningName);
        case StaleReason::PidReused:
            return "that is gone: process " + pid + " is a later orvane-vdome";
        case StaleReason::Unproven:
            return "whose record is too old to prove that it still runs";
        case StaleReason::None:
        case StaleReason::Gone:
            break;
    }
    return "that is no longer running";
}

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        out += (out.empty() ? "" : ", ") + item;
    }
    return out;
}

std::string Seconds(std::chrono::seconds s) {
    return std::to_string(s.count()) + " s";
}

// The texts of a COM entry that leads to a serial device server.
std::string NetworkText(const OpenFailure& f, const NetworkTarget& net) {
    const std::string com = "COM" + std::to_string(f.portNumber);
    const std::string server = NetworkEndpoint(net);
    switch (f.kind) {
        case OpenFailureKind::NameNotFound:
            return "Name not found: " + Quoted(net.host) + " (" + com + " leads to " + f.target +
                   "). Check the name, or bind " + com + " to the server's address.";
        case OpenFailureKind::ConnectRefused:
            return "Connection refused by " + server +
                   ": is the server's port in raw or RFC 2217 mode, and is the port number right?";
        case OpenFailureKind::NoAnswer:
            return "No answer from " + net.host + " within " +
                   Seconds(f.line.empty() ? kConnectTimeout : kNegotiateTimeout) +
                   ". Is the server switched on and reachable from here?";
        case OpenFailureKind::NotRfc2217:
            return server +
                   " did not take the RFC 2217 line settings: is the server's port in RFC 2217 "
                   "(telnet) mode? For a port in raw mode bind " +
                   com + " as tcp:" + server + ".";
        case OpenFailureKind::ServerClosed:
            return server +
                   " closed the connection: another client may be using the port. Close it there "
                   "and press Open.";
        case OpenFailureKind::SettingsRefused:
            return "The server " + server + " refused " + f.line +
                   ". Choose settings its port allows.";
        default:
            return std::string();
    }
}

}  // namespace

std::string DescribeOpenFailure(const OpenFailure& f, const HostFacts& host) {
    const std::string com = "COM" + std::to_string(f.portNumber);
    const std::string device = f.target.empty() ? f.path : f.target;
    const std::string error = f.sysError != 0 ? std::strerror(f.sysError) : "unknown error";
    if (const std::optional<NetworkTarget> net = ParseNetworkTarget(f.target)) {
        if (std::string text = NetworkText(f, *net); !text.empty()) {
            return text;
        }
    }
    switch (f.kind) {
        case OpenFailureKind::None:
            return std::string();
        case OpenFailureKind::BadRequest:
            return "The port number or the line settings are not valid.";
        case OpenFailureKind::NoMapping: {
            const std::string link = PortMapPath(f.portNumber);
            return com + " is not mapped: there is no " +
                   (link.empty() ? "port map (neither HOME nor XDG_CONFIG_HOME is set)"
                                 : "link " + link) +
                   " and no " + f.path + ". Bind " + com + " to a device first.";
        }
        case OpenFailureKind::NothingThere:
            if (!f.target.empty()) {
                return com + " leads to " + f.target +
                       ", which is not there. Is the adapter plugged in?";
            }
            return "There is no device at " + f.path + ".";
        case OpenFailureKind::StaleDomeLink:
            return com + " was made by a virtual dome (process " + std::to_string(f.domePid) +
                   ") " + StaleText(f) + "; it leads to " + f.target +
                   ", which may now be another program's terminal. Bind " + com +
                   " again or start the dome again.";
        case OpenFailureKind::PermissionDenied:
            return PermissionText(device, f.path, host);
        case OpenFailureKind::Busy: {
            const std::vector<std::string> holders = host.Holders(f.path);
            return device + " is in use by another program" +
                   (holders.empty() ? "" : ": " + Joined(holders)) +
                   ". Close that program, or choose another COM port.";
        }
        case OpenFailureKind::NotSerial:
            if (!f.target.empty()) {
                return com + " leads to " + f.target + ", which is not a serial device. Bind " +
                       com + " to the adapter with Ports..., or correct the link " + f.path + ".";
            }
            return com + " is " + f.path + ", which is not a serial device.";
        case OpenFailureKind::SettingsRefused:
            return device + " refused the line settings" +
                   (f.sysError != 0 ? " (" + error + ")." : ".");
        case OpenFailureKind::NoMonitor:
            return "The port's thread could not be started.";
        case OpenFailureKind::NameNotFound:
        case OpenFailureKind::ConnectRefused:
        case OpenFailureKind::NoAnswer:
        case OpenFailureKind::NotRfc2217:
        case OpenFailureKind::ServerClosed:
        case OpenFailureKind::Failed:
            break;
    }
    return "Cannot open " + device + ": " + error + ".";
}
