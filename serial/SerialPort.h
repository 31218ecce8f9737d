#pragma once

#include <cstdint>

// Called on the monitor thread with a received frame: 7 bytes starting with
// 0xFF, or whatever was collected (0 to 6 bytes) when the input ran dry. The
// bytes are valid only during the call. It runs with no lock held; calling
// CloseComm from it is not supported (CloseComm joins the monitor thread).
using ReceiveCallback = void (*)(uint8_t* data, uint32_t count);

// One serial port: opened exclusively, configured from the line settings, and
// served by one monitor thread that does every read and write. SendBytes is a
// one-slot mailbox: a later request replaces one the thread has not taken yet.
class CSerialPort {
public:
    static constexpr uint32_t kSendSlotSize = 1024;
    static constexpr uint32_t kFrameSize = 7;

    CSerialPort();
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Port number n opens "COMn" (see platform/PortName.h). Returns 1 when the
    // port is open and monitored, 0 with the port closed otherwise.
    int OpenComm(ReceiveCallback callback, unsigned portNumber, unsigned baudRate, char parity,
                 unsigned dataBits, unsigned stopBits);
    int CloseComm();
    int IsCommOpen() const;
    int StartMonitor();
    // 0 when the port is closed, data is null with a length, or length > 1024.
    int SendBytes(const uint8_t* data, uint32_t length);

    // (the implementation's private members go below)
};
