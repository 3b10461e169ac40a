#include "pseudo_terminal.h"
#include "serial_port.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <termios.h>
#include <unistd.h>

using kvo::term::LineSettings;
using kvo::term::SerialPort;
using kvo::termtest::Pty;

namespace {

TEST(SerialPort, ReadsRawBytesAndTimesOut) {
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    SerialPort port;
    ASSERT_TRUE(port.open(pty.path, {0, 4, 0, 0}));
    // CR and LF arrive untranslated, nothing is echoed back.
    ASSERT_EQ(write(pty.master, "A\r\n\x7f", 4), 4);
    EXPECT_EQ(port.readByte(), 'A');
    EXPECT_EQ(port.readByte(), '\r');
    EXPECT_EQ(port.readByte(), '\n');
    EXPECT_EQ(port.readByte(), 0x7f);
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(port.readByte(), -1);
    auto waited = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(waited, std::chrono::milliseconds(80));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));
}

TEST(SerialPort, ExclusiveUntilClosed) {
    Pty pty;
    SerialPort first, second;
    ASSERT_TRUE(first.open(pty.path, {}));
    EXPECT_FALSE(second.open(pty.path, {}));
    EXPECT_TRUE(first.close());
    EXPECT_FALSE(first.isOpen());
    EXPECT_TRUE(second.open(pty.path, {}));
}

TEST(SerialPort, RefusesWhatIsNoSerialDevice) {
    SerialPort port;
    EXPECT_FALSE(port.open("/nonexistent/ttyS9", {}));
    EXPECT_FALSE(port.open("", {}));
    EXPECT_FALSE(port.open("/dev/null", {}));
    EXPECT_FALSE(port.isOpen());
}

struct SettingsCase {
    LineSettings s;
    speed_t baud;
    tcflag_t size;
    tcflag_t parity; // PARENB | PARODD | CMSPAR bits
    bool twoStop;
};

termios applied(termios t, const LineSettings &s) {
    kvo::term::setBaud(t, s.baud);
    kvo::term::setDataBits(t, s.data);
    kvo::term::setParity(t, s.parity);
    kvo::term::setStopBits(t, s.stop);
    return t;
}

TEST(LineSettings, MapListIndexesToTermios) {
    termios start{};
    start.c_cflag = CS7 | CSTOPB | PARENB;
    cfsetispeed(&start, B4800);
    cfsetospeed(&start, B4800);
    const SettingsCase cases[] = {
        {{0, 4, 0, 0}, B19200, CS8, 0, false},
        {{1, 3, 1, 2}, B9600, CS7, PARENB | PARODD, true},
        {{2, 2, 2, 0}, B4800, CS6, PARENB, false},
        {{3, 1, 3, 1}, B2400, CS5, PARENB | CMSPAR | PARODD, true}, // 1.5 stop bits, 5 bits
        {{0, 4, 4, 0}, B19200, CS8, PARENB | CMSPAR, false},
        // Nothing selected, four data bits, out of range, 1.5 stop bits with 7 bits: unchanged.
        {{-1, 0, 7, 1}, B4800, CS7, PARENB, true},
    };
    for (const auto &c : cases) {
        termios t = applied(start, c.s);
        EXPECT_EQ(cfgetispeed(&t), c.baud);
        EXPECT_EQ(t.c_cflag & CSIZE, c.size);
        EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.parity);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStop);
    }
}

// A pseudo-terminal keeps 8 bits without parity whatever it is told; speed and stop bits it
// takes, so they show that the lists reach the device and that an unusable index leaves it.
TEST(SerialPort, AppliesSettingsToTheDevice) {
    Pty pty;
    termios t = pty.attrs();
    cfsetispeed(&t, B4800);
    cfsetospeed(&t, B4800);
    t.c_cflag |= CSTOPB;
    ASSERT_EQ(tcsetattr(pty.slave, TCSANOW, &t), 0);
    {
        SerialPort port;
        ASSERT_TRUE(port.open(pty.path, {-1, 4, 0, 1}));
        termios after = pty.attrs();
        EXPECT_EQ(cfgetispeed(&after), B4800);
        EXPECT_NE(after.c_cflag & CSTOPB, 0u);
        EXPECT_EQ(after.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(after.c_iflag & ICRNL, 0u);
    }
    SerialPort port;
    ASSERT_TRUE(port.open(pty.path, {3, 4, 0, 0}));
    termios after = pty.attrs();
    EXPECT_EQ(cfgetispeed(&after), B2400);
    EXPECT_EQ(after.c_cflag & CSTOPB, 0u);
}

} // namespace
