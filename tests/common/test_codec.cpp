#include "codec.h"

#include <gtest/gtest.h>

using namespace kvo;

TEST(Codec, RoundTripsCyrillicAndSpecials) {
    const std::string utf8 = "Журнал ошибок: Ёё №5 «СО» — €";
    std::string cp = utf8ToCp1251(utf8);
    EXPECT_EQ(cp.substr(0, 6), "\xC6\xF3\xF0\xED\xE0\xEB");
    EXPECT_EQ(cp1251ToUtf8(cp), utf8);
}

TEST(Codec, UnmappableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToCp1251("a\xE2\x88\x9E"
                           "b"),
              "a?b"); // infinity sign
    EXPECT_EQ(utf8ToCp1251("\xFF\xFE"), "??");
    EXPECT_EQ(utf8ToCp1251("x\xD0"), "x?"); // cut sequence at the end
    EXPECT_EQ(utf8ToCp1251("\xF0\x9F\x98\x80"), "?");
}

TEST(Codec, EveryByteDecodesToValidUtf8) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    std::string back = utf8ToCp1251(cp1251ToUtf8(all));
    ASSERT_EQ(back.size(), all.size());
    for (int c = 1; c < 256; ++c) {
        if (c == 0x98) // unassigned in the code page
            continue;
        EXPECT_EQ(back[c - 1], all[c - 1]) << c;
    }
}
