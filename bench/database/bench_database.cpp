// Engine figures: the capture library's store cycle, and searches on a call table of a million
// rows.
#include "database.h"
#include "schema.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

double ms(steady_clock::duration d) {
    return duration<double, std::milli>(d).count();
}

long statusKb(const char *field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return -1;
}

template <class F> double timeOnce(F &&f) {
    auto t = steady_clock::now();
    f();
    return ms(steady_clock::now() - t);
}

std::size_t drain(kvo::Database &db, const std::string &sql) {
    auto c = db.query(sql);
    std::size_t n = 0;
    while (c->next()) {
        for (int i = 0; i < c->columnCount(); ++i)
            (void)c->text(i);
        ++n;
    }
    return n;
}

} // namespace

int main(int argc, char **argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    fs::path dir = fs::temp_directory_path() / ("kvo-bench-" + std::to_string(getpid()));
    fs::create_directories(dir / "Base");
    const std::string base = (dir / "Base").string();
    {
        kvo::Database db(base);
        kvo::createInstallationTables(db);
    }

    // 1. open, insert one record, close: what every exchange line costs.
    std::vector<double> cycle;
    for (int i = 0; i < 300; ++i) {
        cycle.push_back(timeOnce([&] {
            kvo::Database db(base);
            db.exec("INSERT INTO DIAL\n(DAT_RING, TIM_RING, EXT, CO, DIAL, CD, DURATION)\nVALUES "
                    "('2024-03-01', '10:15:00', 101, '01', '321', NULL, '00:01:23')");
        }));
    }
    std::sort(cycle.begin(), cycle.end());
    double median = cycle[cycle.size() / 2];
    std::printf("store cycle (open, insert, close; synchronous=FULL): median %.2f ms, p99 %.2f ms, "
                "%.0f rows/s\n",
                median, cycle[cycle.size() * 99 / 100], 1000.0 / median);

    // 2. a call table of `rows` records spread over one year.
    kvo::Database db(base);
    double fill = timeOnce([&] {
        db.exec("DELETE FROM DIAL");
        db.exec("INSERT INTO DIAL (DAT_RING, TIM_RING, EXT, CO, DIAL, CD, DURATION)\n"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                std::to_string(rows) +
                ")\n"
                "SELECT date('2024-01-01', '+' || (i % 366) || ' days'), time(i % 86400, "
                "'unixepoch'), 100 + i % 200, printf('%02d', i % 16), '8' || (1000000000 + i * "
                "7919 % 900000000), NULL, time(i % 3600, 'unixepoch') FROM n");
    });
    std::printf("filled %ld rows in %.0f ms (file %.1f MB)\n", rows, fill,
                fs::file_size(base + "/DIAL.DAT") / 1e6);

    std::size_t found = 0;
    double search = timeOnce([&] {
        found = drain(db, "SELECT D.AVT, D.DAT_RING, D.TIM_RING, D.EXT, D.CO, D.DIAL, D.DURATION, "
                          "D.CD, E.NAME FROM DIAL D LEFT JOIN EXT E ON D.EXT = E.EXT\n"
                          "WHERE D.EXT = 150 AND D.DAT_RING >= '2024-03-01' AND D.DAT_RING <= "
                          "'2024-03-31'\nORDER BY D.AVT DESCENDING");
    });
    std::printf("one subscriber, one month: %zu rows in %.1f ms\n", found, search);

    std::string count;
    double counting = timeOnce([&] { count = db.queryValue("SELECT COUNT(AVT) FROM DIAL"); });
    std::printf("COUNT(AVT) = %s in %.1f ms\n", count.c_str(), counting);

    double like =
        timeOnce([&] { found = drain(db, "SELECT * FROM DIAL WHERE DIAL LIKE '%123%'"); });
    std::printf("LIKE '%%123%%' on DIAL: %zu rows in %.1f ms\n", found, like);

    std::printf("memory: peak resident %ld KB\n", statusKb("VmHWM:"));
    fs::remove_all(dir);
    return 0;
}
