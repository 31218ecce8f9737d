#pragma once

// The POSIX half of the device layer: termios and errno. Included only by the
// POSIX backend and its tests; the port itself sees SerialDevice.h alone.

#include <termios.h>

#include "serial/SerialDevice.h"

// The one place where an errno value becomes a result.
DeviceResult ResultFromErrno(int err);

// One helper per line setting. Each returns false and leaves `tio` untouched
// for a value the device layer cannot set.
bool SetBaudRate(termios& tio, unsigned baudRate);
bool SetParity(termios& tio, char parity);
bool SetDataBits(termios& tio, unsigned dataBits);
bool SetStopBits(termios& tio, unsigned stopBits);

// Raw mode with the receiver on, no modem control or flow control, no hang-up
// on close, reads that return at once, then the four settings. False, with
// `tio` untouched, when any setting is refused.
bool MakeLineTermios(termios& tio, const LineSettings& settings);
