#include "codec.h"
#include "database.h"
#include "ini_file.h"
#include "installer.h"
#include "temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using namespace kvo;

namespace {

std::string readRaw(const std::filesystem::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int runInstaller(const std::string &dir) {
    return std::system((std::string(KVO_INSTALL_EXE) + " '" + dir + "' > /dev/null").c_str());
}

} // namespace

TEST(Installer, CreatesACompleteProgramDirectory) {
    TempDir dir;
    const std::string target = (dir / "kvo").string();
    ASSERT_EQ(runInstaller(target), 0);

    Database db(target + "/Base");
    EXPECT_EQ(db.tableNames(), (std::vector<std::string>{"BOOK", "BUFFER", "CO", "CONTRA", "DIAL",
                                                         "EXT", "PHONE", "TARIF"}));
    for (const auto &t : db.tableNames())
        EXPECT_EQ(db.queryValue("SELECT COUNT(*) FROM " + t), "0") << t;
    EXPECT_TRUE(std::filesystem::is_directory(target + "/Temp"));
    EXPECT_TRUE(std::filesystem::exists(target + "/Kvo_help.html"));

    IniFile main(target + "/Kvo_main.ini");
    EXPECT_EQ(main.readString("MAIN", "Active", ""), "DIAL");
    EXPECT_EQ(main.readString("Terminal", "filter", ""), "Panasonic_KXTD.ini");
    EXPECT_NE(readRaw(target + "/Kvo_main.ini").find("\r\n"), std::string::npos);

    // The shipped layout is the capture library's own default layout.
    IniFile layout(target + "/Filters/Panasonic_KXTD.ini");
    const std::pair<const char *, const char *> filter[] = {
        {"date_f", "mm/dd/yy"}, {"date", "1,8"},      {"time", "10,7"}, {"phone_in", "20,3"},
        {"phone_out", "27,25"}, {"duration", "58,8"}, {"line", "24,2"}, {"cd", "78,2"}};
    for (const auto &[key, value] : filter)
        EXPECT_EQ(layout.readString("Filter", key, ""), value) << key;
    EXPECT_FALSE(layout.readString("Main", "title", "").empty());
    EXPECT_FALSE(layout.readString("Main", "info", "").empty());
    std::string sample = layout.readString("Strings", "S1", "");
    ASSERT_GE(sample.size(), 79u);
    EXPECT_EQ(sample.substr(19, 3), "101");
    EXPECT_NE(cp1251ToUtf8(readRaw(target + "/Filters/Panasonic_KXTD.ini")).find("строка"),
              std::string::npos);
}

TEST(Installer, RerunRefreshesProgramsAndKeepsUserData) {
    TempDir dir;
    const std::string target = (dir / "kvo").string();
    const auto source = dir / "bin";
    std::filesystem::create_directory(source);
    std::ofstream(source / "Kvo_term", std::ios::binary) << "version 1";
    chmod((source / "Kvo_term").c_str(), 0755);
    install(target, source.string());
    EXPECT_EQ(readRaw(target + "/Kvo_term"), "version 1");
    EXPECT_NE(std::filesystem::status(target + "/Kvo_term").permissions() &
                  std::filesystem::perms::owner_exec,
              std::filesystem::perms::none);

    {
        Database db(target + "/Base");
        db.exec("INSERT INTO BUFFER (SREAD) VALUES ('kept')");
    }
    IniFile(target + "/Kvo_main.ini").writeString("MAIN", "Active", "DIAL7");
    IniFile(target + "/Filters/Panasonic_KXTD.ini").writeString("Filter", "cd", "77,3");
    std::ofstream(source / "Kvo_term", std::ios::binary) << "version 2";

    auto report = install(target, source.string());
    EXPECT_EQ(readRaw(target + "/Kvo_term"), "version 2");
    EXPECT_EQ(Database(target + "/Base").queryValue("SELECT SREAD FROM BUFFER"), "kept");
    EXPECT_EQ(IniFile(target + "/Kvo_main.ini").readString("MAIN", "Active", ""), "DIAL7");
    EXPECT_EQ(IniFile(target + "/Filters/Panasonic_KXTD.ini").readString("Filter", "cd", ""),
              "77,3");
    EXPECT_EQ(report.kept, std::vector<std::string>{"Filters/Panasonic_KXTD.ini"});

    // A shipped layout the user removed comes back.
    std::filesystem::remove(target + "/Filters/Panasonic_KXTD.ini");
    install(target, source.string());
    EXPECT_EQ(IniFile(target + "/Filters/Panasonic_KXTD.ini").readString("Filter", "cd", ""),
              "78,2");
}

TEST(Installer, UnwritableTargetIsReported) {
    TempDir dir;
    std::ofstream(dir / "file") << "x";
    EXPECT_NE(runInstaller((dir / "file" / "kvo").string()), 0);
}
