#pragma once
// The exchange's serial line through termios: raw bytes, exclusive access, one-byte reads that
// wait at most 100 ms.
#include <string>
#include <termios.h>

namespace kvo::term {

// Indexes of the four setting lists; an index outside a list leaves the device's own value.
struct LineSettings {
    int baud = -1;   // 19200, 9600, 4800, 2400
    int data = -1;   // 4, 5, 6, 7, 8 bits
    int parity = -1; // none, odd, even, mark, space
    int stop = -1;   // 1, 1.5, 2
};

// Changes of one termios for the list indexes; false (and nothing changed) when the index means
// nothing or the device cannot take it.
void makeRaw(termios &t);
bool setBaud(termios &t, int index);
bool setDataBits(termios &t, int index);
bool setParity(termios &t, int index);
bool setStopBits(termios &t, int index);

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    // False when the device is missing, refused, or held by another open (this or another
    // process). Settings the device does not take stay as the driver had them.
    bool open(const std::string &device, const LineSettings &settings);
    bool isOpen() const { return fd_ >= 0; }
    // The next byte, or -1 after 100 ms without one or when the read fails.
    int readByte();
    // Bytes received and not read yet (0 when closed or unknown).
    int available() const;
    // Always true on Linux (see the source); kept as a result for the caller's state logic.
    bool close();
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

} // namespace kvo::term
