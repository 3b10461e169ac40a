// Storing call lines through the cycle the terminal makes for each one: dlopen Kvo_dll.so,
// dlsym AddToDBI, call it, dlclose. The database is on disk with synchronous=FULL, and a second
// process keeps reading the same call table the whole time, as the administrator program may.
//
//   bench_capture [LINES [READER_PAUSE_MS]]   (defaults 2000 and 0; a pause of -1: no reader)
// Reports the median and 99th percentile per line and lines per second; the exchange's fastest
// line delivers about 24 a second, the target is 250.
#include "database.h"
#include "schema.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

volatile std::sig_atomic_t stopReading = 0;

void onTerm(int) {
    stopReading = 1;
}

std::string exeDir() {
    return fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

std::string callLine(int i) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%-9s%-10s%-4d%-3s%-31s%-8s", "03/15/24", "10:15AM",
                  100 + i % 400, "01", std::to_string(89'001'000'000LL + i).c_str(), "00:01'23");
    return buf;
}

// The reader: the newest calls and the count, over and over, until told to stop. Writes the
// number of completed reads to fd.
[[noreturn]] void reader(const std::string &base, int pauseMs, int fd) {
    std::signal(SIGTERM, onTerm);
    long reads = 0, failures = 0;
    kvo::Database db(base);
    while (!stopReading) {
        try {
            db.queryAll("SELECT D.AVT, D.DAT_RING, D.EXT, D.DIAL FROM DIAL D ORDER BY D.AVT "
                        "DESCENDING LIMIT 50");
            db.queryValue("SELECT COUNT(AVT) FROM DIAL");
            ++reads;
            if (pauseMs > 0)
                usleep(static_cast<useconds_t>(pauseMs) * 1000);
        } catch (const kvo::DbError &) {
            ++failures;
        }
    }
    long result[2] = {reads, failures};
    ssize_t ignored = write(fd, result, sizeof result);
    (void)ignored;
    _exit(0);
}

double percentile(std::vector<double> sorted, double p) {
    std::size_t k = static_cast<std::size_t>(p * (sorted.size() - 1) + 0.5);
    return sorted[std::min(k, sorted.size() - 1)];
}

} // namespace

int main(int argc, char **argv) {
    int lines = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (lines < 1)
        lines = 1;
    int pauseMs = argc > 2 ? std::atoi(argv[2]) : 0;
    const std::string library = exeDir() + "Kvo_dll.so";

    // A program directory on the disk (not a memory file system): fsync must cost what it costs.
    fs::path dir = fs::path("/var/tmp") / ("kvo-bench-capture-" + std::to_string(getpid()));
    fs::create_directories(dir / "Base");
    fs::create_directories(dir / "Filters");
    fs::create_directories(dir / "Temp");
    std::ofstream(dir / "Filters" / "Bench.ini", std::ios::binary)
        << "[Filter]\r\ndate_f=mm/dd/yy\r\n";
    std::ofstream(dir / "Kvo_main.ini", std::ios::binary)
        << "[MAIN]\r\nActive=DIAL\r\n[Terminal]\r\nfilter=Bench.ini\r\n";
    const std::string base = dir.string() + "/Base/";
    {
        kvo::Database db(base);
        kvo::createInstallationTables(db);
    }
    // The library takes the program directory from the executable; this points it at ours.
    setenv("KVO_PROGRAM_DIR", dir.c_str(), 1);

    int pipeFd[2];
    if (pipe(pipeFd) != 0)
        return 1;
    pid_t readerPid = fork();
    if (readerPid == 0) {
        close(pipeFd[0]);
        if (pauseMs < 0)
            _exit(0);
        reader(base, pauseMs, pipeFd[1]);
    }
    close(pipeFd[1]);

    auto cycle = [&](const std::string &line) {
        void *handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            std::fprintf(stderr, "bench_capture: %s\n", dlerror());
            std::exit(1);
        }
        auto add = reinterpret_cast<void (*)(const char *)>(dlsym(handle, "AddToDBI"));
        if (!add) {
            std::fprintf(stderr, "bench_capture: no AddToDBI\n");
            std::exit(1);
        }
        add(line.c_str());
        dlclose(handle);
    };

    for (int i = 0; i < 20; ++i)
        cycle(callLine(i));
    std::vector<double> ms;
    ms.reserve(lines);
    auto start = Clock::now();
    for (int i = 0; i < lines; ++i) {
        std::string line = callLine(i);
        auto t0 = Clock::now();
        cycle(line);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    kill(readerPid, SIGTERM);
    long readerResult[2] = {0, 0};
    ssize_t got = read(pipeFd[0], readerResult, sizeof readerResult);
    (void)got;
    waitpid(readerPid, nullptr, 0);

    kvo::Database db(base);
    long stored = std::stol(db.queryValue("SELECT COUNT(AVT) FROM DIAL"));
    long journal = std::stol(db.queryValue("SELECT COUNT(AVT) FROM BUFFER"));

    std::sort(ms.begin(), ms.end());
    std::printf("capture cycle (dlopen, dlsym, AddToDBI, dlclose), synchronous=FULL, %s\n",
                dir.c_str());
    std::printf("  lines:        %d (stored %ld, journal %ld)\n", lines, stored - 20, journal);
    std::printf("  median:       %.2f ms per line\n", percentile(ms, 0.5));
    std::printf("  p99:          %.2f ms per line\n", percentile(ms, 0.99));
    std::printf("  max:          %.2f ms per line\n", ms.back());
    std::printf("  throughput:   %.0f lines/s (target 250)\n", lines / seconds);
    std::printf("  reader:       %ld reads of the same table meanwhile (%ld failed)\n",
                readerResult[0], readerResult[1]);
    fs::remove_all(dir);
    if (lines / seconds < 250)
        std::printf("  BELOW TARGET\n");
    // Only lost lines fail the run; speed depends on the machine and is read from the report.
    bool complete = stored == lines + 20 && journal == 0;
    if (!complete)
        std::printf("  LINES LOST\n");
    return complete ? 0 : 1;
}
