// pbx-sim: plays an office exchange printing one call record per line (the 80-column layout of
// Filters/Panasonic_KXTD.ini, CR LF ended) on a pseudo-terminal or a given device.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
}

void usage() {
    std::fputs(
        "usage: pbx-sim [options]\n"
        "  --device PATH    write to PATH instead of a new pseudo-terminal\n"
        "  --link PATH      make PATH a symbolic link to the pseudo-terminal\n"
        "  --interval MS    pause between calls (default 2000)\n"
        "  --burst N        first send N calls without any pause\n"
        "  --count N        stop sending after N calls in all (default: never); the\n"
        "                   pseudo-terminal stays open until pbx-sim is stopped\n"
        "  --malformed N    every Nth line is malformed (default 10, 0 = never)\n"
        "  --seed N         random seed (default: from the clock)\n"
        "  --quiet          do not echo the lines sent\n"
        "The first line printed is the path of the pseudo-terminal's slave side (or the device).\n",
        stderr);
}

// Places text at a 1-based column of an 80-column line.
void put(std::string &line, int column, const std::string &text) {
    if (line.size() < static_cast<std::size_t>(column - 1) + text.size())
        line.resize(column - 1 + text.size(), ' ');
    line.replace(column - 1, text.size(), text);
}

std::string digits(std::mt19937 &rng, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>('0' + rng() % 10);
    return s;
}

std::string callLine(std::mt19937 &rng, long sequence, bool malformed) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char date[16], clock[16];
    std::strftime(date, sizeof date, "%m/%d/%y", &tm);
    int hour12 = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
    std::snprintf(clock, sizeof clock, "%02d:%02d%s", hour12, tm.tm_min,
                  tm.tm_hour < 12 ? "AM" : "PM");

    std::string ext = std::to_string(101 + rng() % 30);
    char co[8];
    std::snprintf(co, sizeof co, "%02u", 1 + static_cast<unsigned>(rng() % 8));
    int seconds;
    std::string dial;
    switch (rng() % 4) {
    case 0: // local
        dial = digits(rng, 7);
        seconds = 20 + static_cast<int>(rng() % 600);
        break;
    case 1: // long distance through the access code
        dial = "8" + digits(rng, 10);
        seconds = 30 + static_cast<int>(rng() % 1800);
        break;
    case 2: // incoming
        dial = "<I>" + (rng() % 3 ? digits(rng, 7) : std::string());
        seconds = 10 + static_cast<int>(rng() % 900);
        break;
    default: // short call
        dial = digits(rng, 7);
        seconds = 1 + static_cast<int>(rng() % 9);
        break;
    }
    char duration[16];
    std::snprintf(duration, sizeof duration, "%02d:%02d'%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);

    if (malformed) {
        switch (sequence % 3) {
        case 0:
            ext = "1O1"; // letter O where a digit belongs
            break;
        case 1:
            std::snprintf(date, sizeof date, "13/45/%02d", tm.tm_year % 100);
            break;
        default:
            return "*** SMDR: printer buffer overflow, call's records lost ***";
        }
    }
    std::string line;
    put(line, 1, date);
    put(line, 10, clock);
    put(line, 20, ext);
    put(line, 24, co);
    put(line, 27, dial);
    put(line, 58, duration);
    if (rng() % 5 == 0)
        put(line, 78, "NA");
    return line;
}

bool writeAll(int fd, const std::string &data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR && !stopRequested)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void makeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
}

bool readNumber(const char *text, long &out) {
    char *end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && out >= 0;
}

// Sleeps in small steps so that a stop request is noticed at once.
void pause(long ms) {
    for (long left = ms; left > 0 && !stopRequested; left -= 50)
        std::this_thread::sleep_for(std::chrono::milliseconds(left < 50 ? left : 50));
}

} // namespace

int main(int argc, char **argv) {
    std::string device, link;
    long interval = 2000, burst = 0, count = -1, malformedEvery = 10;
    long seed = static_cast<long>(std::time(nullptr));
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto number = [&](long &out) {
            if (i + 1 >= argc || !readNumber(argv[++i], out)) {
                std::fprintf(stderr, "pbx-sim: %s needs a whole number\n", a.c_str());
                std::exit(2);
            }
        };
        if (a == "--device" && i + 1 < argc)
            device = argv[++i];
        else if (a == "--link" && i + 1 < argc)
            link = argv[++i];
        else if (a == "--interval")
            number(interval);
        else if (a == "--burst")
            number(burst);
        else if (a == "--count")
            number(count);
        else if (a == "--malformed")
            number(malformedEvery);
        else if (a == "--seed")
            number(seed);
        else if (a == "--quiet")
            quiet = true;
        else {
            usage();
            return a == "--help" ? 0 : 2;
        }
    }

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    int out = -1, slave = -1;
    std::string path;
    if (!device.empty()) {
        out = open(device.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (out < 0) {
            std::fprintf(stderr, "pbx-sim: cannot open %s: %s\n", device.c_str(),
                         std::strerror(errno));
            return 1;
        }
        if (isatty(out))
            makeRaw(out);
        path = device;
    } else {
        out = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (out < 0 || grantpt(out) != 0 || unlockpt(out) != 0 || !ptsname(out)) {
            std::fprintf(stderr, "pbx-sim: cannot create a pseudo-terminal: %s\n",
                         std::strerror(errno));
            return 1;
        }
        path = ptsname(out);
        // Holding the slave side open keeps the line alive while the terminal closes and
        // reopens its port; raw mode from the start so that nothing sent early is translated.
        slave = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave >= 0)
            makeRaw(slave);
        if (!link.empty()) {
            unlink(link.c_str());
            if (symlink(path.c_str(), link.c_str()) != 0) {
                std::fprintf(stderr, "pbx-sim: cannot make the link %s: %s\n", link.c_str(),
                             std::strerror(errno));
                return 1;
            }
        }
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    std::mt19937 rng(static_cast<std::mt19937::result_type>(seed));
    int status = 0;
    for (long sent = 0; !stopRequested && (count < 0 || sent < count); ++sent) {
        if (sent >= burst && sent > 0)
            pause(interval);
        if (stopRequested)
            break;
        bool malformed = malformedEvery > 0 && (sent + 1) % malformedEvery == 0;
        std::string line = callLine(rng, sent, malformed);
        if (!writeAll(out, line + "\r\n")) {
            std::fprintf(stderr, "pbx-sim: write failed: %s\n", std::strerror(errno));
            status = 1;
            break;
        }
        if (!quiet) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        }
    }
    // A pseudo-terminal's unread lines vanish with it: keep it until told to stop.
    while (!stopRequested && device.empty() && status == 0)
        pause(200);
    if (!link.empty() && device.empty())
        unlink(link.c_str());
    if (slave >= 0)
        close(slave);
    close(out);
    return status;
}
