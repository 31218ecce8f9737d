#pragma once

// The device layer's second backend: a serial device server reached over
// TCP, raw or RFC 2217. SerialDevice hands its calls here when its COM entry
// is a network one, so the port above sees one kind of device.

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/NetworkPort.h"
#include "serial/SerialDevice.h"
#include "serial/Telnet.h"

// How long each step of an open may take. The open runs off the window's
// thread; these bound how long it lasts and how long a close waits for it.
inline constexpr std::chrono::seconds kConnectTimeout{3};
inline constexpr std::chrono::seconds kNegotiateTimeout{2};
// Unacknowledged data older than this drops the connection, so a server
// switched off mid-session is a lost line, not a stalled socket.
inline constexpr unsigned kUnackedLimitMs = 3000;

class NetworkDevice {
public:
    NetworkDevice() = default;
    ~NetworkDevice();
    NetworkDevice(const NetworkDevice&) = delete;
    NetworkDevice& operator=(const NetworkDevice&) = delete;

    // Looks the host up, connects and, in RFC 2217 mode, agrees on
    // COM-PORT-OPTION with the server.
    DeviceResult Open(const NetworkTarget& target, OpenFailure* why);
    // RFC 2217: sends the four settings and checks the server's answers
    // (TimedOut: no answer; Unsupported: another value). Raw: the server's
    // own settings stay; nothing is sent.
    DeviceResult Configure(const LineSettings& settings);
    DeviceResult DiscardInput();
    DeviceResult QueuedInput(uint32_t& count) const;
    DeviceResult Read(uint8_t* buffer, uint32_t capacity, uint32_t& got);
    DeviceResult Write(const uint8_t* data, uint32_t length, const WriteTimeouts& timeouts);
    void Close();
    int Descriptor() const { return m_fd; }

private:
    using Clock = std::chrono::steady_clock;
    DeviceResult SendAll(const uint8_t* data, size_t length, Clock::time_point limit,
                         std::chrono::milliseconds stallAfter);
    DeviceResult SendCommands(const std::string& bytes);
    // Reads and answers the server until `done` holds; TimedOut at `limit`.
    template <typename Done>
    DeviceResult Converse(Clock::time_point limit, Done done);
    // One non-blocking read through the telnet reader; `got` data bytes.
    DeviceResult ReadOnce(uint8_t* buffer, uint32_t capacity, uint32_t& got);

    int m_fd = -1;
    NetworkMode m_mode = NetworkMode::Raw;
    telnet::Reader m_reader;
};
