#include <gtest/gtest.h>
#include <termios.h>

#include "serial/SerialDevicePosix.h"

namespace {

constexpr tcflag_t kFraming = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;

// Every bit the mapping might touch set the wrong way, framing the opposite
// of `framing`, so a helper that forgets to set or clear one is caught.
termios Cooked(tcflag_t framing = 0) {
    termios tio{};
    tio.c_iflag = ICRNL | IXON | IXOFF | INPCK | ISTRIP | BRKINT;
    tio.c_oflag = OPOST | ONLCR;
    tio.c_cflag = HUPCL | CRTSCTS | (kFraming & ~framing);
    tio.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 5;
    cfsetspeed(&tio, B50);
    return tio;
}

TEST(LineSettings, SettingsMapToARawTermios) {
    const struct {
        LineSettings settings;
        speed_t speed;
        tcflag_t framing;
    } cases[] = {
        {{300, 'E', 7, 1}, B300, CS7 | PARENB},
        {{1200, 'O', 6, 2}, B1200, CS6 | PARENB | PARODD | CSTOPB},
        {{2400, 'N', 5, 1}, B2400, CS5},
        {{9600, 'N', 8, 1}, B9600, CS8},
    };
    for (const auto& c : cases) {
        termios tio = Cooked(c.framing);
        ASSERT_TRUE(MakeLineTermios(tio, c.settings)) << c.settings.baudRate;
        EXPECT_EQ(cfgetospeed(&tio), c.speed) << c.settings.baudRate;
        EXPECT_EQ(cfgetispeed(&tio), c.speed) << c.settings.baudRate;
        EXPECT_EQ(tio.c_cflag & kFraming, c.framing) << c.settings.baudRate;
        EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF | INPCK | ISTRIP | BRKINT), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(tio.c_cflag & (HUPCL | CRTSCTS), 0u) << "RTS dropped on close, or hardware flow";
        EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD);
        EXPECT_EQ(tio.c_cc[VMIN] + tio.c_cc[VTIME], 0);
    }
}

}  // namespace
