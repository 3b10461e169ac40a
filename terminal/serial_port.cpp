#include "serial_port.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kvo::term {
namespace {

// One change at a time: a device that refuses one setting keeps the others, and the refused
// one stays as the driver reports it.
template <class Change> void applyOne(int fd, Change change) {
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return;
    if (!change(t))
        return;
    tcsetattr(fd, TCSANOW, &t);
}

void applySettings(int fd, const LineSettings &s) {
    applyOne(fd, [](termios &t) {
        makeRaw(t);
        return true;
    });
    applyOne(fd, [&](termios &t) { return setBaud(t, s.baud); });
    applyOne(fd, [&](termios &t) { return setDataBits(t, s.data); });
    applyOne(fd, [&](termios &t) { return setParity(t, s.parity); });
    applyOne(fd, [&](termios &t) { return setStopBits(t, s.stop); });
}

} // namespace

void makeRaw(termios &t) {
    // No echo, no line editing, no CR/LF translation, no flow control characters. Size,
    // parity and stop bits are left to the lists.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 1;
}

bool setBaud(termios &t, int index) {
    static const speed_t kBaud[] = {B19200, B9600, B4800, B2400};
    if (index < 0 || index > 3)
        return false;
    cfsetispeed(&t, kBaud[index]);
    cfsetospeed(&t, kBaud[index]);
    return true;
}

bool setDataBits(termios &t, int index) {
    // Four data bits have no termios size.
    static const tcflag_t kSize[] = {0, CS5, CS6, CS7, CS8};
    if (index < 1 || index > 4)
        return false;
    t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | kSize[index];
    return true;
}

bool setParity(termios &t, int index) {
    static const tcflag_t kParity[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                                       PARENB | CMSPAR};
    if (index < 0 || index > 4)
        return false;
    t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR)) | kParity[index];
    return true;
}

bool setStopBits(termios &t, int index) {
    // A UART gives one and a half stop bits only with five data bits, where CSTOPB means it.
    if (index < 0 || index > 2 || (index == 1 && (t.c_cflag & CSIZE) != CS5))
        return false;
    if (index == 0)
        t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
    else
        t.c_cflag |= CSTOPB;
    return true;
}

SerialPort::~SerialPort() {
    close();
}

bool SerialPort::open(const std::string &device, const LineSettings &settings) {
    if (fd_ >= 0 || device.empty())
        return false;
    // Non-blocking only so that the open does not wait for a carrier.
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // TIOCEXCL keeps out other users but not root; the lock keeps out every other open.
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return false;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags != -1)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    applySettings(fd, settings);
    fd_ = fd;
    return true;
}

int SerialPort::readByte() {
    if (fd_ < 0)
        return -1;
    unsigned char b = 0;
    ssize_t n = ::read(fd_, &b, 1);
    return n == 1 ? b : -1;
}

int SerialPort::available() const {
    int n = 0;
    if (fd_ < 0 || ioctl(fd_, FIONREAD, &n) != 0)
        return 0;
    return n;
}

bool SerialPort::close() {
    if (fd_ < 0)
        return true;
    // The exclusive flag belongs to the tty, not to this open: clear it or a later open by
    // anyone but root fails while another holder keeps the tty alive.
    ioctl(fd_, TIOCNXCL);
    // Linux frees the descriptor even when close reports an error, so a retry could only hit
    // a descriptor that is no longer ours: the close always counts as done.
    ::close(fd_);
    fd_ = -1;
    return true;
}

} // namespace kvo::term
