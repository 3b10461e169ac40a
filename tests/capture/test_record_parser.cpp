// The pure parsing rules: cutting, normalising, reading dates and times, building statements.
#include "placed_line.h"
#include "record_parser.h"

#include <gtest/gtest.h>
#include <map>

using namespace kvo::capture;

namespace {

std::string defaultLine(const std::string &number = "321", const std::string &ext = "101") {
    return placed(
        {{1, "01/15/24"}, {10, "10:15AM"}, {20, ext}, {24, "01"}, {27, number}, {58, "00:01'23"}});
}

} // namespace

TEST(FieldCutter, PositionsAndBounds) {
    struct Case {
        const char *line, *position, *value;
        bool valid;
    } cases[] = {
        {"abcdefgh", "1,3", "abc", true},
        {"  ab \t cd", "1,9", "ab \t cd", true}, // blanks and controls go only at the ends
        {"abcdefgh", "0,2", "ab", true},         // a start below 1 counts as 1
        {"abcdefgh", "-7,2", "ab", true},
        {"abcdefgh", "6,10", "fgh", true}, // stops at the end of the line
        {"abcdefgh", "9,2", "", true},
        {"abcdefgh", "2,0", "", true},
        {"abcdefgh", "2,-1", "", true},
        {"abcdefgh", "1,99999999999999999999", "abcdefgh", true},
        {"abcdefgh", "", "", false},
        {"abcdefgh", "1", "", false},
        {"abcdefgh", "a,2", "", false},
        {"abcdefgh", "1,2,3", "", false},
        {"abcdefgh", "1, 2", "", false},
        {"abcdefgh", "1;2", "", false},
        {"abcdefgh", ",", "", false},
    };
    for (const auto &c : cases) {
        bool valid = !c.valid;
        EXPECT_EQ(cutField(c.line, c.position, &valid), c.value) << c.position;
        EXPECT_EQ(valid, c.valid) << c.position;
    }
}

TEST(Normalisers, Table) {
    struct Case {
        std::string (*fn)(std::string_view);
        const char *in, *out;
    } cases[] = {
        {normaliseDate, "15-01-24", "15.01.24"},   {normaliseDate, " 01/ 15/24\r", "01.15.24"},
        {normaliseDate, "01  15 24", "01.15.24"},  {normaliseDate, "1\\2,3:4'5", "1.2.3.4.5"},
        {normaliseTime, " 00:01'23 ", "00:01:23"}, {normaliseTime, "10.15-30", "10:15:30"},
        {normaliseNumber, "<I>012", "In012"},      {normaliseNumber, "<incoming>012", "In012"},
        {normaliseNumber, "<i> 0 12", "In012"},    {normaliseNumber, "8-4 5W", "845"},
        {normaliseNumber, "~<9>p.1'2wP", "912"},   {normaliseNumber, "\t12\x01", "12"},
        {replaceApostrophes, "a'b''", "a.b.."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.fn(c.in), c.out) << c.in;
    EXPECT_EQ(withDurationHours("01:23"), "00:01:23");
    EXPECT_EQ(withDurationHours("5"), "00:5");
    EXPECT_EQ(withDurationHours("00:01:23"), "00:01:23");
}

TEST(DateReading, OrderWindowAndValidity) {
    using enum DateOrder;
    EXPECT_EQ(dateOrderOf("dd.mm.yy"), DayMonthYear);
    EXPECT_EQ(dateOrderOf("MM.DD.YYYY"), MonthDayYear);
    EXPECT_EQ(dateOrderOf("yyyy.mm.dd"), YearMonthDay);
    EXPECT_EQ(dateOrderOf("x.y.d"), YearMonthDay);
    EXPECT_EQ(dateOrderOf("abc"), MonthDayYear);
    EXPECT_EQ(centuryWindow(2024), 20);
    EXPECT_EQ(centuryWindow(1999), 20);
    EXPECT_EQ(centuryWindow(2150), 21);

    struct Case {
        const char *text;
        DateOrder order;
        const char *literal; // nullptr: not a date
    } cases[] = {
        {"15.01.24", DayMonthYear, "'2024-01-15'"},
        {"01.15.24", MonthDayYear, "'2024-01-15'"},
        {"24.01.15", YearMonthDay, "'2024-01-15'"},
        {"1.2.04", DayMonthYear, "'2004-02-01'"}, // the window starts 20 years back
        {"1.2.99", DayMonthYear, "'2099-02-01'"},
        {"1.2.03", DayMonthYear, "'2103-02-01'"},
        {"1.2.024", DayMonthYear, "'0024-02-01'"}, // three digits: as written
        {"1.2.1999", DayMonthYear, "'1999-02-01'"},
        {"5.3", DayMonthYear, "'2024-03-05'"}, // two parts: this year
        {"5.3", MonthDayYear, "'2024-05-03'"},
        {"5.3", YearMonthDay, "'2024-05-03'"},
        {"29.02.2024", DayMonthYear, "'2024-02-29'"},
        {"1.2.5.", DayMonthYear, "'2005-02-01'"},
        {" 1 . 2 . 5 ", DayMonthYear, "'2005-02-01'"},
        {"29.02.2023", DayMonthYear, nullptr},
        {"31.04.2024", DayMonthYear, nullptr},
        {"0.1.2024", DayMonthYear, nullptr},
        {"1.13.2024", DayMonthYear, nullptr},
        {"1.2.", DayMonthYear, nullptr}, // the dot announces a third part
        {"1.2.3.4", DayMonthYear, nullptr},
        {"1.2.20245", DayMonthYear, nullptr}, // a number ends once it reaches 1000
        {"1.2.0", YearMonthDay, nullptr},
        {"1", DayMonthYear, nullptr},
        {"", DayMonthYear, nullptr},
        {"a.b.c", DayMonthYear, nullptr},
    };
    for (const auto &c : cases) {
        auto d = readDate(c.text, c.order, 2024);
        if (c.literal)
            EXPECT_TRUE(d && dateLiteral(*d) == c.literal) << c.text;
        else
            EXPECT_FALSE(d) << c.text;
    }
}

TEST(TimeReading, MarkersSeparatorsAndLimits) {
    struct Case {
        const char *text;
        const char *literal; // nullptr: not a time
    } cases[] = {
        {"10:15AM", "'10:15:00'"},
        {"12:05AM", "'00:05:00'"},
        {"01:30PM", "'13:30:00'"},
        {"12:00pm", "'12:00:00'"},
        {"pm 1:30", "'13:30:00'"},
        {"10", "'10:00:00'"},
        {"00:5", "'00:05:00'"},
        {"00:01:23", "'00:01:23'"},
        {"23:59:59,999", "'23:59:59'"},
        {"1:2:3.4", "'01:02:03'"},
        {" 10 : 15 ", "'10:15:00'"},
        {"13:00PM", nullptr},
        {"0:00AM", nullptr},
        {"AM10:00PM", nullptr},
        {"24:00", nullptr},
        {"10:60", nullptr},
        {"10:00:60", nullptr},
        {"10:", nullptr},
        {"10:15:30:40", nullptr},
        {"10:15x", nullptr},
        {"1:2:3,", nullptr},
        {"12345", nullptr},
        {"", nullptr},
        {"AM", nullptr},
    };
    for (const auto &c : cases) {
        auto t = readTime(c.text);
        if (c.literal)
            EXPECT_TRUE(t && timeLiteral(*t) == c.literal) << c.text;
        else
            EXPECT_FALSE(t) << c.text;
    }
}

TEST(LineParsing, DefaultLayoutGivesEveryLiteral) {
    ParsedLine p = parseLine(defaultLine("<I>0'12"), RecordLayout{}, 2024);
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.record.date, "'2024-01-15'");
    EXPECT_EQ(p.record.time, "'10:15:00'");
    EXPECT_EQ(p.record.ext, "101");
    EXPECT_EQ(p.record.line, "'01'");
    EXPECT_EQ(p.record.number, "'In012'");
    EXPECT_EQ(p.record.duration, "'00:01:23'");
    EXPECT_EQ(p.record.cd, "''");
    EXPECT_EQ(callInsertStatement("DIAL", p.record),
              "INSERT INTO DIAL\n(DAT_RING, TIM_RING, EXT, CO, DIAL, CD, DURATION)\n"
              "VALUES ('2024-01-15', '10:15:00', 101, '01', 'In012', '', '00:01:23')");
}

TEST(LineParsing, FailuresStopTheRecord) {
    RecordLayout badPosition;
    badPosition.cd = "";
    RecordLayout wideNumber;
    wideNumber.phoneOut = "27,31";
    RecordLayout wideExt;
    wideExt.phoneIn = "20,5";
    RecordLayout wideLine;
    wideLine.line = "24,6";
    RecordLayout apostropheCd;
    apostropheCd.cd = "24,6"; // "01 '32": the replacer keeps it 6 long, one too many
    struct Case {
        std::string line;
        RecordLayout layout;
        ParseFailure failure;
    } cases[] = {
        {defaultLine("321", "1O1"), {}, ParseFailure::Extension},
        {defaultLine("321", "   "), {}, ParseFailure::Extension},
        {placed({{1, "01/15/24"}, {10, "10:15"}, {20, "40000"}, {58, "1"}}), wideExt,
         ParseFailure::Extension},
        {placed({{1, "01/15/24"}, {10, "10:15"}, {20, "-32768"}, {58, "1"}}), wideExt,
         ParseFailure::None},
        {defaultLine(), badPosition, ParseFailure::BadPosition},
        {defaultLine(std::string(29, '5')), wideNumber, ParseFailure::Number},
        {defaultLine(std::string(28, '5')), wideNumber, ParseFailure::None},
        {defaultLine("'321"), apostropheCd, ParseFailure::Cd},
        {placed({{1, "13/45/24"}}), {}, ParseFailure::Date},
        {placed({{1, "01/15/24"}, {10, "25:00"}}), {}, ParseFailure::Time},
        {placed({{1, "01/15/24"}, {10, "10:15"}, {24, "123456"}}), wideLine, ParseFailure::Line},
        {placed({{1, "01/15/24"}, {10, "10:15"}, {20, "101"}}), {}, ParseFailure::Duration},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parseLine(c.line, c.layout, 2024).failure, c.failure) << c.line;
}

TEST(Statements, JournalAndTableNames) {
    EXPECT_EQ(bufferInsertStatement(" it's '1' "),
              "INSERT INTO BUFFER (SREAD)\nVALUES (' it.s .1. ')");
    for (const char *name : {"DIAL", "DIAL12", "dial_3"})
        EXPECT_TRUE(isPlainTableName(name)) << name;
    for (const char *name :
         {"", "1DIAL", "DIAL 2", "DIAL;DELETE FROM BUFFER", "\"DIAL\"", "DIAL--"})
        EXPECT_FALSE(isPlainTableName(name)) << name;
}
