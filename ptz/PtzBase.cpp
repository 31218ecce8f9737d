#include "ptz/PtzBase.h"

#include <cstring>
#include <utility>

#include "serial/SerialPort.h"

PtzBase::PtzBase(CSerialPort* port, uint32_t address)
    : m_Buffer{}, m_nBufferLen(0), m_pSerialPort(port), m_nDeviceType(0), m_nAddress(address) {}

PtzBase::~PtzBase() = default;

int PtzBase::CopyBuffer(uint8_t* dest, uint32_t& size) const {
    if (dest == nullptr || size < m_nBufferLen) {
        return 0;
    }
    size = m_nBufferLen;
    std::memcpy(dest, m_Buffer, m_nBufferLen);
    return 1;
}

void PtzBase::SendFrame() {
    // The port queues the bytes for its monitor thread; a closed port or a
    // lost line does not take them, which the log needs to know.
    m_bLastRefused =
        m_pSerialPort != nullptr && m_pSerialPort->SendBytes(m_Buffer, m_nBufferLen) == 0;
}

bool PtzBase::WaitForRoom(const std::stop_token& abort, std::chrono::milliseconds limit) const {
    return m_pSerialPort == nullptr || m_pSerialPort->WaitForRoom(abort, limit);
}
