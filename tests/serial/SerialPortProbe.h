#pragma once

#include <functional>
#include <utility>

#include "serial/SerialPort.h"

// Test access to a CSerialPort's monitor thread. The step hook runs on the
// monitor thread; install it before OpenComm and leave it until CloseComm.
class SerialPortProbe {
public:
    using Step = CSerialPort::MonitorStep;

    explicit SerialPortProbe(CSerialPort& port) : m_port(port) {}

    void OnStep(std::function<void(Step)> hook) { m_port.m_stepHook = std::move(hook); }
    // Runs where the monitor thread would be started; may throw.
    void OnThreadStart(std::function<void()> hook) { m_port.m_threadStartHook = std::move(hook); }

    // Bytes waiting in the port's input queue.
    uint32_t QueuedInput() const {
        uint32_t count = 0;
        m_port.m_hPort.QueuedInput(count);
        return count;
    }
    void DiscardInput() { m_port.m_hPort.DiscardInput(); }

private:
    CSerialPort& m_port;
};
