#include "platform/NetworkPort.h"

#include <algorithm>

namespace {

constexpr char kRawScheme[] = "tcp:";
constexpr char kRfc2217Scheme[] = "rfc2217:";

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::optional<uint16_t> PortNumber(const std::string& digits) {
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const unsigned long value = std::stoul(digits);
    if (value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

bool HostUsable(const std::string& host) {
    return !host.empty() && host.size() <= 253 &&
           std::none_of(host.begin(), host.end(), [](char c) {
               return c == '/' || c == '[' || c == ']' || static_cast<unsigned char>(c) <= ' ';
           });
}

}  // namespace

std::optional<NetworkTarget> ParseNetworkTarget(const std::string& text) {
    NetworkTarget target;
    std::string rest;
    if (StartsWith(text, kRawScheme)) {
        rest = text.substr(sizeof(kRawScheme) - 1);
    } else if (StartsWith(text, kRfc2217Scheme)) {
        target.mode = NetworkMode::Rfc2217;
        rest = text.substr(sizeof(kRfc2217Scheme) - 1);
    } else {
        return std::nullopt;
    }
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    std::string host = rest.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string::npos) {
        return std::nullopt;  // an IPv6 address needs its brackets
    }
    const std::optional<uint16_t> port = PortNumber(rest.substr(colon + 1));
    if (!port || !HostUsable(host)) {
        return std::nullopt;
    }
    target.host = host;
    target.port = *port;
    return target;
}

std::string NetworkEndpoint(const NetworkTarget& target) {
    const bool v6 = target.host.find(':') != std::string::npos;
    return (v6 ? "[" + target.host + "]" : target.host) + ":" + std::to_string(target.port);
}

std::string NetworkTargetText(const NetworkTarget& target) {
    return (target.mode == NetworkMode::Rfc2217 ? kRfc2217Scheme : kRawScheme) +
           NetworkEndpoint(target);
}
