#pragma once
// A pseudo-terminal pair standing in for the exchange's serial line.
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace kvo::termtest {

struct Pty {
    int master = -1, slave = -1;
    std::string path;
    Pty() {
        char name[256];
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0)
            path = name;
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;
    bool send(const std::string &bytes) const {
        return ::write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    termios attrs() const {
        termios t{};
        tcgetattr(slave, &t);
        return t;
    }
};

} // namespace kvo::termtest
