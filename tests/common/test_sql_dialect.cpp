#include "sql_dialect.h"

#include <gtest/gtest.h>

using namespace kvo::sql;

namespace {
bool timeColumn(std::string_view c) {
    return c == "DURATION" || c == "TIM_RING";
}
} // namespace

TEST(SqlDialect, TranslatesOutsideLiteralsOnly) {
    struct Case {
        const char *in, *out;
    } cases[] = {
        {"SELECT * FROM DIAL D ORDER BY D.AVT DESCENDING",
         "SELECT * FROM DIAL D ORDER BY D.AVT DESC"},
        {"SELECT NAME FROM CO ORDER BY NAME ascending", "SELECT NAME FROM CO ORDER BY NAME ASC"},
        {"INSERT INTO TARIF (ZONE) VALUES ('ORDER ASCENDING')",
         "INSERT INTO TARIF (ZONE) VALUES ('ORDER ASCENDING')"},
        {"SELECT 'it''s DESCENDING' FROM X", "SELECT 'it''s DESCENDING' FROM X"},
        {"SELECT SUM(D.DURATION) RES FROM DIAL D",
         "SELECT KVO_SUM_TIME(D.DURATION) RES FROM DIAL D"},
        {"SELECT SUM ( DURATION ) FROM DIAL", "SELECT KVO_SUM_TIME ( DURATION ) FROM DIAL"},
        {"SELECT SUM(TS) FROM TARIF", "SELECT SUM(TS) FROM TARIF"},
        {"SELECT SUM(DURATION + 1) FROM DIAL", "SELECT SUM(DURATION + 1) FROM DIAL"},
        {"SELECT 'SUM(DURATION)' FROM DIAL", "SELECT 'SUM(DURATION)' FROM DIAL"},
        {"SELECT DESCENDINGX FROM T", "SELECT DESCENDINGX FROM T"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(translate(c.in, timeColumn).sql, c.out) << c.in;
}

TEST(SqlDialect, FindsTheTablesAStatementNames) {
    struct Case {
        const char *sql;
        std::vector<std::string> tables;
    } cases[] = {
        {"SELECT E.EXT, E.NAME, COUNT(D.AVT) RES FROM EXT E, DIAL2 D WHERE E.EXT = D.EXT",
         {"EXT", "DIAL2"}},
        {"SELECT K.NAME FROM CONTRA K, CO C, DIAL D\nWHERE C.CNTR = K.CNTR",
         {"CONTRA", "CO", "DIAL"}},
        {"SELECT D.*, E.NAME FROM DIAL D LEFT JOIN EXT E ON D.EXT = E.EXT", {"DIAL", "EXT"}},
        {"INSERT INTO BUFFER (SREAD) VALUES ('FROM CO')", {"BUFFER"}},
        {"UPDATE ext SET NAME = 'x' WHERE EXT = 1", {"EXT"}},
        {"DELETE FROM BUFFER WHERE AVT = 3", {"BUFFER"}},
        {"SELECT COUNT(*) FROM TARIF WHERE CNTR IN (SELECT CNTR FROM CONTRA)", {"TARIF", "CONTRA"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(translate(c.sql, timeColumn).tables, c.tables) << c.sql;
}

TEST(SqlDialect, CreateTableOfACallTable) {
    auto t = translate("CREATE TABLE DIAL4 (\nAVT AUTOINC, DAT_RING DATE, TIM_RING TIME, EXT "
                       "SMALLINT,\nCO VARCHAR(5), DIAL VARCHAR(28), DURATION TIME, CD VARCHAR(5)\n"
                       "UNIQUE PRIMARY KEY (AVT))",
                       timeColumn);
    EXPECT_EQ(t.kind, StatementKind::CreateTable);
    EXPECT_EQ(t.table, "DIAL4");
    EXPECT_NE(t.sql.find("\"AVT\" INTEGER PRIMARY KEY AUTOINCREMENT"), std::string::npos);
    EXPECT_NE(t.sql.find("length(\"DIAL\") <= 28"), std::string::npos);
    EXPECT_EQ(t.sql.find("UNIQUE"), std::string::npos);
    EXPECT_EQ(t.sql.rfind("CREATE TABLE \"DIAL4\".\"DIAL4\" (", 0), 0u);
}

TEST(SqlDialect, DropAndBrokenCreate) {
    auto d = translate("drop table dial2", timeColumn);
    EXPECT_EQ(d.kind, StatementKind::DropTable);
    EXPECT_EQ(d.table, "DIAL2");
    EXPECT_EQ(translate("DROP TABLE \"DIAL (копия)\"", timeColumn).table, "DIAL (копия)");
    EXPECT_THROW(translate("DROP TABLE DIAL (копия)", timeColumn), std::invalid_argument);
    EXPECT_EQ(translate("DROP TABLE DIAL2;", timeColumn).kind, StatementKind::DropTable);
    EXPECT_THROW(translate("CREATE TABLE X (A VARCHAR(z))", timeColumn), std::invalid_argument);
    EXPECT_THROW(translate("CREATE TABLE X (A VARCHAR(5)", timeColumn), std::invalid_argument);
    EXPECT_THROW(translate("CREATE TABLE X", timeColumn), std::invalid_argument);
}
