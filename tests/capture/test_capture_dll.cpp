// Kvo_dll.so as the terminal uses it: a plain C program in a fresh program directory loads the
// library, calls one export and unloads it again, for every call. The program directory comes
// from the running executable, so the helper is copied into the temporary directory and runs
// without KVO_PROGRAM_DIR.
#include "database.h"
#include "placed_line.h"
#include "schema.h"
#include "temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;

namespace {

std::tm today() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm;
}

std::string formatToday(const char *format) {
    std::tm tm = today();
    char buf[32];
    std::strftime(buf, sizeof buf, format, &tm);
    return buf;
}

// A line of the default layout with today's date; fields may be replaced or added.
std::string callLine(std::map<int, std::string> fields = {}) {
    std::map<int, std::string> base = {{1, formatToday("%m/%d/%y")},
                                       {10, "10:15AM"},
                                       {20, "101"},
                                       {24, "01"},
                                       {27, "321"},
                                       {58, "00:01'23"}};
    for (auto &[column, text] : fields)
        base[column] = text;
    return placed(base);
}

// The journal keeps the raw line with every apostrophe made a ".".
std::string journalForm(std::string line) {
    std::replace(line.begin(), line.end(), '\'', '.');
    return line;
}

std::string readFile(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path &p, const std::string &text) {
    std::ofstream(p, std::ios::binary) << text;
}

class CaptureLibrary : public ::testing::Test {
protected:
    TempDir dir;

    void SetUp() override {
        for (const char *sub : {"Base", "Filters", "Temp"})
            fs::create_directories(dir / sub);
        {
            kvo::Database db(base());
            kvo::createInstallationTables(db);
            db.exec(kvo::callTableCreateStatement("DIAL1"));
        }
        writeLayout("date_f=mm/dd/yy\r\n");
        writeFile(dir / "Kvo_main.ini",
                  "[MAIN]\r\nActive=DIAL\r\n[Terminal]\r\nfilter=Test.ini\r\n");
        fs::copy_file(KVO_FEED, dir / "kvo_feed");
        fs::copy_file(KVO_DLL, dir / "Kvo_dll.so");
    }

    std::string base() const { return dir.str() + "Base/"; }

    // Section Filter of the active layout file.
    void writeLayout(const std::string &filterKeys) {
        writeFile(dir / "Filters" / "Test.ini",
                  "[Main]\r\ntitle=Test\r\n[Filter]\r\n" + filterKeys);
    }

    // Runs the helper from the program directory; returns its exit status, stdout in *out.
    int feed(const std::vector<std::string> &args, std::string *out = nullptr) {
        std::string exe = (dir / "kvo_feed").string();
        std::vector<char *> argv{exe.data()};
        std::vector<std::string> copies(args);
        for (auto &a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<char *> env;
        for (char **e = environ; *e; ++e)
            if (std::string_view(*e).rfind("KVO_PROGRAM_DIR=", 0) != 0)
                env.push_back(*e);
        env.push_back(nullptr);

        fs::path outFile = dir / "feed.out";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        pid_t pid = 0;
        int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), env.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0)
            return -1;
        int status = 0;
        waitpid(pid, &status, 0);
        if (out)
            *out = readFile(outFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    int add(const std::vector<std::string> &lines) {
        std::vector<std::string> args{"add"};
        args.insert(args.end(), lines.begin(), lines.end());
        return feed(args);
    }

    Rows calls(const std::string &table = "DIAL") {
        kvo::Database db(base());
        return db.queryAll("SELECT DAT_RING, TIM_RING, EXT, CO, DIAL, DURATION, CD FROM " + table +
                           " ORDER BY AVT");
    }

    std::vector<std::string> journal() {
        kvo::Database db(base());
        std::vector<std::string> lines;
        for (auto &row : db.queryAll("SELECT SREAD FROM BUFFER ORDER BY AVT"))
            lines.push_back(row.at(0));
        return lines;
    }
};

} // namespace

TEST_F(CaptureLibrary, LinesLandInTheCallTableOrTheJournal) {
    const std::string wrongExtension = callLine({{20, "1O1"}});
    const std::string longLine = "it's long: " + std::string(100'000, 'x');
    ASSERT_EQ(add({
                  callLine(), callLine({{27, "<I>012"}}), callLine({{27, "<incoming>012"}}),
                  callLine({{27, "32'1"}}), "   abcd   ", wrongExtension, "it's a broken line",
                  "\xCE\xF8\xE8\xE1\xEA\xE0 \xEB\xE8\xED\xE8\xE8", // Windows-1251
                  callLine({{58, "00:01'2"}}).substr(0, 64),       // ends inside the duration
                  longLine,                                        // kept whole in the journal
              }),
              0);

    const std::string date = formatToday("%d.%m.%Y");
    const Rows expected = {
        {date, "10:15:00", "101", "01", "321", "00:01:23", ""},
        {date, "10:15:00", "101", "01", "In012", "00:01:23", ""},
        {date, "10:15:00", "101", "01", "In012", "00:01:23", ""},
        {date, "10:15:00", "101", "01", "321", "00:01:23", ""},
        {date, "10:15:00", "101", "01", "321", "00:01:02", ""},
    };
    EXPECT_EQ(calls(), expected);
    EXPECT_EQ(journal(),
              (std::vector<std::string>{journalForm(wrongExtension), "it.s a broken line",
                                        "Ошибка линии", journalForm(longLine)}));
}

TEST_F(CaptureLibrary, DayFirstFormatReadsDashedDateInTheCenturyWindow) {
    writeLayout("date_f=dd/mm/yy\r\n");
    ASSERT_EQ(add({callLine({{1, "15-01-24"}})}), 0);
    // The hundred years that start 20 years before this one.
    int year = today().tm_year + 1900 - 20;
    while (year % 100 != 24)
        ++year;
    Rows rows = calls();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "15.01." + std::to_string(year));
}

TEST_F(CaptureLibrary, ActiveTableIsReadForEveryLine) {
    ASSERT_EQ(add({callLine({{20, "201"}})}), 0);
    writeFile(dir / "Kvo_main.ini", "[terminal]\r\nFILTER=Test.ini\r\n[main]\r\nactive=DIAL1\r\n");
    ASSERT_EQ(add({callLine({{20, "202"}})}), 0);
    // A table that does not exist, or a name that is not a plain name, ends in the journal.
    writeFile(dir / "Kvo_main.ini", "[MAIN]\r\nActive=DIAL7\r\n[Terminal]\r\nfilter=Test.ini\r\n");
    ASSERT_EQ(add({callLine({{20, "203"}})}), 0);
    writeFile(dir / "Kvo_main.ini",
              "[MAIN]\r\nActive=DIAL1 (EXT) VALUES (1); DELETE FROM BUFFER; --\r\n"
              "[Terminal]\r\nfilter=Test.ini\r\n");
    ASSERT_EQ(add({callLine({{20, "204"}})}), 0);

    ASSERT_EQ(calls("DIAL").size(), 1u);
    EXPECT_EQ(calls("DIAL")[0][2], "201");
    ASSERT_EQ(calls("DIAL1").size(), 1u);
    EXPECT_EQ(calls("DIAL1")[0][2], "202");
    EXPECT_EQ(journal(), (std::vector<std::string>{journalForm(callLine({{20, "203"}})),
                                                   journalForm(callLine({{20, "204"}}))}));
}

TEST_F(CaptureLibrary, MissingOrBrokenSettingsSendTheLineToTheJournal) {
    const std::string longNumber(35, '7');
    struct Case {
        const char *what;
        std::string mainIni; // empty: no main file at all
        std::string filterKeys;
        std::string line;
    } cases[] = {
        {"no main file", "", "", callLine()},
        {"no filter key", "[MAIN]\r\nActive=DIAL\r\n", "", callLine()},
        {"layout file missing", "[Terminal]\r\nfilter=Nope.ini\r\n", "", callLine()},
        {"unreadable position", "[Terminal]\r\nfilter=Test.ini\r\n", "cd=78;2\r\n", callLine()},
        {"empty position", "[Terminal]\r\nfilter=Test.ini\r\n", "line=\r\n", callLine()},
        {"value wider than its column", "[Terminal]\r\nfilter=Test.ini\r\n", "phone_out=27,40\r\n",
         placed({{1, "01/15/24"}, {10, "10:15"}, {20, "101"}, {27, longNumber}})},
    };
    std::vector<std::string> expected;
    for (const auto &c : cases) {
        fs::remove(dir / "Kvo_main.ini");
        if (!c.mainIni.empty())
            writeFile(dir / "Kvo_main.ini", c.mainIni);
        writeLayout(c.filterKeys);
        ASSERT_EQ(add({c.line}), 0) << c.what;
        expected.push_back(journalForm(c.line));
        EXPECT_EQ(journal(), expected) << c.what;
    }
    EXPECT_TRUE(calls().empty());
}

TEST_F(CaptureLibrary, LineIsKeptInLostLogWhenTheDatabaseIsGone) {
    fs::remove_all(dir / "Base");
    const std::string line = "it's \xEB\xE8\xED\xE8\xFF one"; // Windows-1251, kept byte for byte
    ASSERT_EQ(add({line, "   \x01\x02   "}), 0);
    std::string log = readFile(dir / "Temp" / "Lost.log");
    // "-- dd.mm.yy hh:nn --" then the raw line, both CR LF
    ASSERT_GE(log.size(), 22u);
    EXPECT_EQ(log.substr(0, 3), "-- ");
    EXPECT_EQ(log.substr(17, 5), " --\r\n");
    EXPECT_EQ(log.substr(22), line + "\r\n");

    fs::remove_all(dir / "Temp");
    EXPECT_EQ(add({"nowhere to keep it"}), 0);
}

TEST_F(CaptureLibrary, ProgramDirectoryIsTheProcessesNotTheLibrarys) {
    fs::create_directories(dir / "elsewhere");
    fs::rename(dir / "Kvo_dll.so", dir / "elsewhere" / "Kvo_dll.so");
    {
        // A decoy installation beside the library must stay untouched.
        fs::create_directories(dir / "elsewhere" / "Base");
        kvo::Database db(dir.str() + "elsewhere/Base/");
        kvo::createInstallationTables(db);
    }
    ASSERT_EQ(feed({"-l", (dir / "elsewhere" / "Kvo_dll.so").string(), "add", callLine()}), 0);
    EXPECT_EQ(calls().size(), 1u);
    kvo::Database decoy(dir.str() + "elsewhere/Base/");
    EXPECT_EQ(decoy.queryValue("SELECT COUNT(AVT) FROM DIAL"), "0");
    EXPECT_EQ(decoy.queryValue("SELECT COUNT(AVT) FROM BUFFER"), "0");
}

TEST_F(CaptureLibrary, TerminalSettingsRoundTrip) {
    std::string out;
    ASSERT_EQ(feed({"save", "combo1", "3"}), 0);
    ASSERT_EQ(feed({"save", "combo5", "-1"}), 0);
    ASSERT_EQ(feed({"load", "COMBO1"}, &out), 0);
    EXPECT_EQ(out, "3\n");
    ASSERT_EQ(feed({"load", "combo5"}, &out), 0);
    EXPECT_EQ(out, "-1\n");
    std::string ini = readFile(dir / "Kvo_main.ini");
    EXPECT_NE(ini.find("combo1=3\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Active=DIAL\r\n"), std::string::npos) << ini;

    writeFile(dir / "Kvo_main.ini", "[Terminal]\r\ncombo3=0x2\r\ncombo4=abc\r\n");
    for (auto [key, value] : {std::pair{"combo3", "2\n"}, {"combo4", "0\n"}, {"combo2", "0\n"}}) {
        ASSERT_EQ(feed({"load", key}, &out), 0);
        EXPECT_EQ(out, value) << key;
    }

    // A main file that cannot be written: the call still returns normally.
    fs::remove(dir / "Kvo_main.ini");
    fs::create_directory(dir / "Kvo_main.ini");
    EXPECT_EQ(feed({"save", "combo1", "2"}), 0);
    ASSERT_EQ(feed({"load", "combo1"}, &out), 0);
    EXPECT_EQ(out, "0\n");
}

// The terminal loads and unloads the library around every line; KVO_CAPTURE_CYCLES raises the
// count for the sanitizer run.
TEST_F(CaptureLibrary, RepeatedLoadCallUnloadCycles) {
    long cycles = 200;
    if (const char *env = std::getenv("KVO_CAPTURE_CYCLES"))
        cycles = std::atol(env);
    long rounds = cycles / 2;
    ASSERT_EQ(feed({"-n", std::to_string(rounds), "add", callLine(), "broken line"}), 0);
    kvo::Database db(base());
    EXPECT_EQ(db.queryValue("SELECT COUNT(AVT) FROM DIAL"), std::to_string(rounds));
    EXPECT_EQ(db.queryValue("SELECT COUNT(AVT) FROM BUFFER"), std::to_string(rounds));
}
