#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A COM entry that leads to a serial device server on the network. In the
// port map it is a symlink whose target is not a path but one of
//
//   tcp:HOST:PORT       the server's port passes bytes as they are (raw)
//   rfc2217:HOST:PORT   the server speaks telnet with COM-PORT-OPTION
//
// (an IPv6 address in brackets: rfc2217:[fd00::5]:4001), so `ls -l` shows it
// and `ln -s tcp:10.0.0.5:4001 COM4` makes it. Every part of the program that
// must tell such an entry from a device asks ParseNetworkTarget.

enum class NetworkMode { Raw, Rfc2217 };

struct NetworkTarget {
    NetworkMode mode = NetworkMode::Raw;
    std::string host;
    uint16_t port = 0;
};

// Empty for anything but a well-formed entry (port 1..65535, a host without
// blanks or '/').
std::optional<NetworkTarget> ParseNetworkTarget(const std::string& text);

// The link target that ParseNetworkTarget reads back.
std::string NetworkTargetText(const NetworkTarget& target);

// "10.0.0.5:4001", "[fd00::5]:4001".
std::string NetworkEndpoint(const NetworkTarget& target);
