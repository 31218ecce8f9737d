#pragma once

#include <cstdint>
#include <string>

#include "platform/Result.h"

// The dome's end of a network line: a TCP port in raw mode, as a serial
// device server's. One client at a time; a new one replaces the old, so a
// program that reconnects is never locked out by a connection it lost.
class DomeListener {
public:
    DomeListener() = default;
    ~DomeListener();
    DomeListener(const DomeListener&) = delete;
    DomeListener& operator=(const DomeListener&) = delete;

    orvane::Result Open(const std::string& address, uint16_t port);
    int listener() const { return m_listener; }
    int client() const { return m_client; }  // -1 without one
    void Accept();
    void DropClient();

private:
    int m_listener = -1;
    int m_client = -1;
};
