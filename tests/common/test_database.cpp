#include "database.h"
#include "schema.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kvo;

namespace {

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(dir / "Base");
        db = std::make_unique<Database>((dir / "Base").string());
        createInstallationTables(*db);
    }
    std::string insertCall(const std::string &values) {
        return "INSERT INTO DIAL\n(DAT_RING, TIM_RING, EXT, CO, DIAL, CD, DURATION)\nVALUES (" +
               values + ")";
    }
    TempDir dir;
    std::unique_ptr<Database> db;
};

} // namespace

TEST_F(DatabaseTest, InstallationHasEightTablesWithTheirColumns) {
    EXPECT_EQ(db->tableNames(), (std::vector<std::string>{"BOOK", "BUFFER", "CO", "CONTRA", "DIAL",
                                                          "EXT", "PHONE", "TARIF"}));
    auto c = db->query("SELECT * FROM DIAL");
    std::vector<std::string> cols;
    for (int i = 0; i < c->columnCount(); ++i)
        cols.push_back(c->columnName(i));
    EXPECT_EQ(cols, (std::vector<std::string>{"AVT", "DAT_RING", "TIM_RING", "EXT", "CO", "DIAL",
                                              "DURATION", "CD"}));
}

TEST_F(DatabaseTest, CallRecordRoundTripsInDisplayForm) {
    db->exec(insertCall("'2024-01-15', '10:15:00', 101, '01', '321', NULL, '00:01:23'"));
    db->exec(insertCall("'2024-02-29', '23:59:59', -32768, '12345', '" + std::string(28, '9') +
                        "', 'Абвгд', '00:00:00'"));
    auto rows = db->queryAll("SELECT * FROM DIAL ORDER BY AVT ASCENDING");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "15.01.2024", "10:15:00", "101", "01", "321",
                                                 "00:01:23", ""}));
    EXPECT_EQ(rows[1][0], "2");
    EXPECT_EQ(rows[1][5].size(), 28u);
    EXPECT_EQ(rows[1][7], "Абвгд");
    EXPECT_EQ(db->queryValue("SELECT MAX(DAT_RING) FROM DIAL"), "29.02.2024");
}

TEST_F(DatabaseTest, ColumnTypesAreEnforced) {
    const char *bad[] = {
        "'2024-02-30', '10:00:00', 1, '1', '1', '1', '00:00:01'", // no such day
        "'15.01.2024', '10:00:00', 1, '1', '1', '1', '00:00:01'", // not the stored form
        "2024-01-15, '10:00:00', 1, '1', '1', '1', '00:00:01'",   // a number, not a date
        "'2024-01-15', '24:00:00', 1, '1', '1', '1', '00:00:01'",
        "'2024-01-15', '10:15', 1, '1', '1', '1', '00:00:01'",
        "'2024-01-15', '10:00:00', 40000, '1', '1', '1', '00:00:01'",
        "'2024-01-15', '10:00:00', 'abc', '1', '1', '1', '00:00:01'",
        "'2024-01-15', '10:00:00', , '1', '1', '1', '00:00:01'",
        "'2024-01-15', '10:00:00', 1, '123456', '1', '1', '00:00:01'",
        "'2024-01-15', '10:00:00', 1, '1', '1', 'ABCDEF', '00:00:01'",
    };
    for (const char *values : bad)
        EXPECT_THROW(db->exec(insertCall(values)), DbError) << values;
    EXPECT_EQ(db->queryValue("SELECT COUNT(AVT) FROM DIAL"), "0");
    EXPECT_THROW(db->exec(insertCall(std::string("'2024-01-15', '10:00:00', 1, '1', '") +
                                     std::string(29, '1') + "', '1', '00:00:01'")),
                 DbError);
}

TEST_F(DatabaseTest, LiteralsReachTheTableUnchanged) {
    db->exec("INSERT INTO TARIF (SIGN, CNTR, ZONE, TS, SYS)\nVALUES ('00000', 1, 'ORDER "
             "ASCENDING', 1.25, 0)");
    db->exec("INSERT INTO BOOK (DIAL, FIO) VALUES ('495', 'O''Brien -- DROP TABLE BOOK')");
    EXPECT_EQ(db->queryValue("SELECT ZONE FROM TARIF"), "ORDER ASCENDING");
    EXPECT_EQ(db->queryValue("SELECT FIO FROM BOOK WHERE DIAL = '495'"),
              "O'Brien -- DROP TABLE BOOK");
    EXPECT_EQ(db->queryValue("SELECT TS FROM TARIF"), "1.25");
}

TEST_F(DatabaseTest, SumOverTimeCountsSecondsPastOneDay) {
    db->exec(insertCall("'2024-01-15', '10:00:00', 101, '1', '1', '1', '23:00:00'"));
    db->exec(insertCall("'2024-01-15', '11:00:00', 101, '1', '1', '1', '02:30:15'"));
    db->exec(insertCall("'2024-01-15', '12:00:00', 102, '1', '1', '1', '00:00:05'"));
    auto rows = db->queryAll("SELECT D.EXT, SUM(D.DURATION) RES FROM DIAL D GROUP BY D.EXT ORDER "
                             "BY D.EXT ASCENDING");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], "25:30:15");
    EXPECT_EQ(rows[1][1], "00:00:05");
    EXPECT_EQ(db->queryValue("SELECT SUM(DURATION) RES FROM DIAL WHERE EXT = 999", "none"), "");
}

TEST_F(DatabaseTest, CallTablesComeAndGoAsFiles) {
    db->exec(callTableCreateStatement("DIAL1"));
    db->exec(callTableCreateStatement("DIAL3"));
    EXPECT_EQ(nextCallTableName(db->tableNames()), "DIAL2");
    EXPECT_TRUE(std::filesystem::exists(dir / "Base/DIAL3.DAT"));
    auto indexes = db->queryAll("SELECT name FROM DIAL3.sqlite_master WHERE type = 'index' AND "
                                "sql IS NOT NULL ORDER BY name");
    ASSERT_EQ(indexes.size(), 2u);
    EXPECT_EQ(indexes[0][0], "DIAL3_DAT_RING");
    EXPECT_EQ(indexes[1][0], "DIAL3_EXT");

    db->exec("INSERT INTO DIAL3 (DAT_RING, TIM_RING, EXT, CO, DIAL, CD, DURATION) VALUES "
             "('2024-01-01', '00:00:00', 1, NULL, NULL, NULL, '00:00:00')");
    EXPECT_THROW(db->exec(callTableCreateStatement("DIAL3")), DbError);
    db->exec("DROP TABLE DIAL3");
    EXPECT_FALSE(std::filesystem::exists(dir / "Base/DIAL3.DAT"));
    EXPECT_THROW(db->exec("DROP TABLE DIAL3"), DbError);
    EXPECT_THROW(db->queryAll("SELECT * FROM DIAL3"), DbError);
    EXPECT_EQ(nextCallTableName(db->tableNames()), "DIAL2");
}

TEST_F(DatabaseTest, ManyTablesStayWithinTheAttachLimit) {
    for (int i = 1; i <= 14; ++i)
        db->exec(callTableCreateStatement("DIAL" + std::to_string(i)));
    for (int round = 0; round < 2; ++round)
        for (int i = 1; i <= 14; ++i)
            EXPECT_EQ(db->queryValue("SELECT COUNT(AVT) FROM DIAL" + std::to_string(i)), "0");
    EXPECT_LE(db->attachedTables().size(), 10u);
    // A table held by an open cursor is not detached under it.
    auto held = db->query("SELECT * FROM DIAL1");
    for (int i = 2; i <= 14; ++i)
        db->queryValue("SELECT COUNT(AVT) FROM DIAL" + std::to_string(i));
    EXPECT_FALSE(held->next());
}

TEST_F(DatabaseTest, FailingStatementCarriesTheEngineMessage) {
    try {
        db->exec("SELECT * FROM NOPE");
        FAIL();
    } catch (const DbError &e) {
        EXPECT_NE(std::string(e.what()).find("no such table: NOPE"), std::string::npos);
    }
    EXPECT_THROW(db->exec("SELEKT 1"), DbError);
}

TEST(DatabaseFolder, MissingFolderIsAClearError) {
    TempDir dir;
    try {
        Database db((dir / "nowhere").string());
        FAIL();
    } catch (const DbError &e) {
        EXPECT_NE(std::string(e.what()).find("nowhere"), std::string::npos);
    }
}

TEST(DatabaseFolder, ReadOnlyFolderIsAClearError) {
    TempDir dir;
    std::filesystem::create_directory(dir / "Base");
    {
        Database db((dir / "Base").string());
        createInstallationTables(db);
    }
    chmod((dir / "Base").c_str(), 0555);
    chmod(dir.str().c_str(), 0755);
    // Root writes anywhere: check as an ordinary user in a child process.
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(3);
        try {
            Database db((dir / "Base").string());
            db.exec(callTableCreateStatement("DIAL1"));
            _exit(1);
        } catch (const DbError &e) {
            _exit(std::string(e.what()).empty() ? 2 : 0);
        } catch (...) {
            _exit(4);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
