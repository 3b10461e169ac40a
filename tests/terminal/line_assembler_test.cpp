#include "line_assembler.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using kvo::term::LineAssembler;

namespace {

std::vector<std::string> feed(LineAssembler &a, const std::string &bytes) {
    std::vector<std::string> lines;
    for (unsigned char b : bytes)
        if (auto line = a.push(b))
            lines.push_back(*line);
    return lines;
}

struct Case {
    const char *name;
    std::string bytes;
    std::vector<std::string> lines;
    std::string pending;
};

class AssemblerCases : public testing::TestWithParam<Case> {};

TEST_P(AssemblerCases, Lines) {
    const Case &c = GetParam();
    LineAssembler a;
    EXPECT_EQ(feed(a, c.bytes), c.lines);
    EXPECT_EQ(a.pending(), c.pending);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, AssemblerCases,
    testing::Values(Case{"CrLfStartsNextLine", "AB\r\nC\r", {"AB", "C"}, ""},
                    Case{"BlankAndControlsOnly", " \t\x01  \r", {}, ""},
                    Case{
                        "BlanksKeptTabsStrippedAtEnds", "  X  \r\tA\tB\t\r", {"  X  ", "A\tB"}, ""},
                    Case{"NoCarriageReturnNeverEnds", "12/11/26 10:15AM", {}, "12/11/26 10:15AM"},
                    Case{"LfAloneDoesNotEnd", "A\nB\r", {"A\nB"}, ""},
                    Case{"InnerNulDoesNotCutTheLine", std::string("A\0B\r", 4), {"A?B"}, ""},
                    Case{"Cp1251BytesPass", "\xC2\xF5\xEE\xE4 1\r", {"\xC2\xF5\xEE\xE4 1"}, ""}),
    [](const testing::TestParamInfo<Case> &i) { return i.param.name; });

TEST(LineAssembler, PartialLineIsContinuedByLaterBytes) {
    LineAssembler a;
    EXPECT_TRUE(feed(a, "12/11/26 10:").empty());
    EXPECT_EQ(feed(a, "15AM 101\r\n"), std::vector<std::string>{"12/11/26 10:15AM 101"});
    EXPECT_EQ(a.pending(), "\n");
}

TEST(LineAssembler, OverlongLineIsHandedOnInPiecesWithoutLoss) {
    LineAssembler a;
    std::string data(LineAssembler::kMaxLine * 2 + 10, 'x');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>('a' + i % 26);
    auto lines = feed(a, data + "\r");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), LineAssembler::kMaxLine);
    EXPECT_EQ(lines[0] + lines[1] + lines[2], data);
    // A carriage return right at the bound leaves no blank line behind.
    LineAssembler b;
    EXPECT_EQ(feed(b, std::string(LineAssembler::kMaxLine, 'y') + "\r\nZ\r").size(), 2u);
}

TEST(LineList, KeepsFirstTwoAndTenNewest) {
    for (int total : {12, 13, 20}) {
        std::vector<int> list;
        for (int n = 1; n <= total; ++n) {
            list.push_back(n);
            kvo::term::trimLineList([&] { return static_cast<int>(list.size()); },
                                    [&](int i) { list.erase(list.begin() + i); });
        }
        std::vector<int> expected{1, 2};
        for (int n = std::max(3, total - 9); n <= total; ++n)
            expected.push_back(n);
        EXPECT_EQ(list, expected) << total;
    }
}

} // namespace
