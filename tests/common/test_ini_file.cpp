#include "codec.h"
#include "ini_file.h"
#include "temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using namespace kvo;

namespace {

void writeRaw(const std::filesystem::path &p, const std::string &bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

std::string readRaw(const std::filesystem::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(IniFile, ReadsLikeTheWindowsServices) {
    TempDir dir;
    writeRaw(dir / "a.ini", "; comment\r\n[main]\r\nactive = DIAL2 \r\n"
                            "[Strings]\r\nS1=\"  two blanks  \"\r\nS2='single'\r\nS3=\"open\r\n"
                            "[Terminal]\r\ncombo3=0x2\r\ncombo4=abc\r\ncombo5=-1\r\ncombo1=0XfF\r\n"
                            "flag=7\r\nbig=99999999999\r\n"
                            "[Main]\r\nactive=ignored, the first section wins\r\n");
    IniFile ini((dir / "a.ini").string());
    EXPECT_EQ(ini.readString("MAIN", "Active", "DIAL"), "DIAL2");
    EXPECT_EQ(ini.readString("Main", "missing", "DIAL"), "DIAL");
    EXPECT_EQ(ini.readString("Strings", "S1", ""), "  two blanks  ");
    EXPECT_EQ(ini.readString("Strings", "S2", ""), "single");
    EXPECT_EQ(ini.readString("Strings", "S3", ""), "\"open");
    EXPECT_EQ(ini.readInteger("Terminal", "combo3", 0), 2);
    EXPECT_EQ(ini.readInteger("Terminal", "combo4", 0), 0);
    EXPECT_EQ(ini.readInteger("Terminal", "combo5", 0), -1);
    EXPECT_EQ(ini.readInteger("Terminal", "combo1", 0), 255);
    EXPECT_EQ(ini.readInteger("Terminal", "big", 5), 5);
    EXPECT_TRUE(ini.readBool("Terminal", "flag", false));
    EXPECT_TRUE(ini.readBool("Terminal", "missing", true));
    EXPECT_EQ(ini.readSectionKeys("terminal").size(), 6u);
}

TEST(IniFile, MissingFileGivesDefaults) {
    TempDir dir;
    IniFile ini((dir / "none.ini").string());
    EXPECT_FALSE(ini.exists());
    EXPECT_EQ(ini.readString("MAIN", "Active", "DIAL"), "DIAL");
    EXPECT_EQ(ini.readInteger("Terminal", "combo1", 3), 3);
}

TEST(IniFile, ValuesAreCutAt2047Characters) {
    TempDir dir;
    std::string longValue(3000, 'x');
    writeRaw(dir / "a.ini", "[S]\r\nk=" + longValue + "\r\n");
    EXPECT_EQ(IniFile((dir / "a.ini").string()).readString("S", "k", "").size(), 2047u);
}

TEST(IniFile, WriteKeepsEveryOtherLine) {
    TempDir dir;
    const std::string original = "; настройки\r\n[MAIN]\r\nActive=DIAL\r\n\r\n"
                                 "[Terminal]\r\n; порт\r\ncombo1=1\r\n\r\n[Other]\r\nx=1\r\n";
    writeRaw(dir / "a.ini", utf8ToCp1251(original));
    IniFile ini((dir / "a.ini").string());
    ini.writeString("main", "ACTIVE", "DIAL3");
    ini.writeInteger("Terminal", "combo2", 4);
    ini.writeString("Tarifikator", "Mkod", "Код");
    EXPECT_EQ(cp1251ToUtf8(readRaw(dir / "a.ini")),
              "; настройки\r\n[MAIN]\r\nACTIVE=DIAL3\r\n\r\n"
              "[Terminal]\r\n; порт\r\ncombo1=1\r\ncombo2=4\r\n\r\n[Other]\r\nx=1\r\n"
              "\r\n[Tarifikator]\r\nMkod=Код\r\n");
    EXPECT_EQ(ini.readString("Tarifikator", "mkod", ""), "Код");
}

TEST(IniFile, WriteCreatesFileButNotFolder) {
    TempDir dir;
    IniFile fresh((dir / "new.ini").string());
    fresh.writeBool("Tarifikator", "DelayYes", true);
    EXPECT_EQ(readRaw(dir / "new.ini"), "[Tarifikator]\r\nDelayYes=1\r\n");

    IniFile nowhere((dir / "missing" / "x.ini").string());
    try {
        nowhere.writeString("S", "k", "v");
        FAIL() << "write into a missing folder succeeded";
    } catch (const IniWriteError &e) {
        EXPECT_NE(std::string(e.what()).find("missing/x.ini"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST(IniFile, RefusedWriteRaisesAndLeavesFile) {
    TempDir dir;
    // A folder where the file should be: refused even for root.
    std::filesystem::create_directory(dir / "dir.ini");
    EXPECT_THROW(IniFile((dir / "dir.ini").string()).writeString("S", "k", "2"), IniWriteError);
    if (geteuid() != 0) {
        writeRaw(dir / "ro.ini", "[S]\r\nk=1\r\n");
        chmod((dir / "ro.ini").c_str(), 0444);
        EXPECT_THROW(IniFile((dir / "ro.ini").string()).writeString("S", "k", "2"), IniWriteError);
        EXPECT_EQ(IniFile((dir / "ro.ini").string()).readInteger("S", "k", 0), 1);
    }
}

TEST(IniFile, ReadsWhatAnotherWriterJustWrote) {
    TempDir dir;
    IniFile a((dir / "m.ini").string()), b((dir / "m.ini").string());
    a.writeString("MAIN", "Active", "DIAL1");
    EXPECT_EQ(b.readString("MAIN", "Active", ""), "DIAL1");
    b.writeString("MAIN", "Active", "DIAL2");
    EXPECT_EQ(a.readString("MAIN", "Active", ""), "DIAL2");
}
