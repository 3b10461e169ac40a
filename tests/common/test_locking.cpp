// Two processes on the same table files, as the terminal and the administrator program are.
#include "database.h"
#include "schema.h"
#include "temp_dir.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace kvo;
using namespace std::chrono;

namespace {

// One short-lived connection per row, the way the capture library stores a line.
int insertRows(const std::string &base, int count) {
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        try {
            Database db(base);
            db.exec("INSERT INTO DIAL (DAT_RING, TIM_RING, EXT, CO, DIAL, CD, DURATION) VALUES "
                    "('2024-03-01', '12:00:00', " +
                    std::to_string(100 + i % 50) + ", '01', '" + std::to_string(i) +
                    "', NULL, '00:00:10')");
        } catch (const DbError &) {
            ++failures;
        }
    }
    return failures;
}

pid_t spawn(const std::function<int()> &body) {
    pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    return pid;
}

int exitCode(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

} // namespace

TEST(Locking, NoInsertIsLostWhileAnotherProcessReadsUpdatesAndLocks) {
    TempDir dir;
    std::filesystem::create_directory(dir / "Base");
    const std::string base = (dir / "Base").string();
    {
        Database db(base);
        createInstallationTables(db);
    }
    const int rows = 300;
    pid_t writer = spawn([&] { return insertRows(base, rows); });

    Database admin(base);
    for (int round = 0; round < 3; ++round) {
        admin.queryAll("SELECT * FROM DIAL WHERE DIAL LIKE '%1%'");
        admin.exec("UPDATE DIAL SET CD = 'X' WHERE EXT = 101");
        admin.exec("BEGIN IMMEDIATE");
        std::this_thread::sleep_for(milliseconds(round == 2 ? 1000 : 400));
        admin.exec("COMMIT");
        // Leave the writer room to catch up before the next lock.
        std::this_thread::sleep_for(milliseconds(100));
    }
    EXPECT_EQ(exitCode(writer), 0) << "inserts failed";
    EXPECT_EQ(admin.queryValue("SELECT COUNT(AVT) FROM DIAL"), std::to_string(rows));
    EXPECT_EQ(admin.queryValue("SELECT COUNT(DISTINCT DIAL) FROM DIAL"), std::to_string(rows));
}

TEST(Locking, ALockHeldPastTheRetriesFailsTheStatement) {
    TempDir dir;
    std::filesystem::create_directory(dir / "Base");
    const std::string base = (dir / "Base").string();
    {
        Database setup(base);
        createInstallationTables(setup);
    }
    Database admin(base);
    admin.queryValue("SELECT COUNT(AVT) FROM DIAL"); // the lock below covers DIAL alone
    admin.exec("BEGIN IMMEDIATE");
    pid_t writer = spawn([&] {
        auto start = steady_clock::now();
        try {
            Database db(base);
            db.exec("INSERT INTO BUFFER (SREAD) VALUES ('x')");
            db.exec("INSERT INTO DIAL (DAT_RING, TIM_RING, EXT, CO, DIAL, CD, DURATION) VALUES "
                    "('2024-03-01', '12:00:00', 1, NULL, NULL, NULL, '00:00:10')");
            return 1; // got through a lock that was held
        } catch (const DbError &e) {
            auto waited = duration_cast<milliseconds>(steady_clock::now() - start).count();
            if (std::string(e.what()).find("locked") == std::string::npos)
                return 2;
            return waited >= 1400 ? 0 : 3; // it waited through the retries, then gave up
        }
    });
    int code = exitCode(writer);
    admin.exec("COMMIT");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(admin.queryValue("SELECT COUNT(AVT) FROM DIAL"), "0");
    EXPECT_EQ(admin.queryValue("SELECT COUNT(AVT) FROM BUFFER"), "1");
}
