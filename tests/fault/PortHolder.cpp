// A second program holding a serial port: opens "COMn" through CSerialPort,
// prints "held" (or "refused" and exits 3), and keeps the port until its
// standard input closes.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "serial/SerialPort.h"

namespace {

void IgnoreReceived(uint8_t*, uint32_t) {}

}  // namespace

int main(int argc, char** argv) {
    const unsigned port = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 1;
    CSerialPort serial;
    if (serial.OpenComm(&IgnoreReceived, port, 9600, 'N', 8, 1) == 0) {
        std::puts("refused");
        std::fflush(stdout);
        return 3;
    }
    std::puts("held");
    std::fflush(stdout);
    char byte = 0;
    while (read(STDIN_FILENO, &byte, 1) > 0) {
    }
    serial.CloseComm();
    return 0;
}
