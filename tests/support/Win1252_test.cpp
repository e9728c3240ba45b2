#include "support/Win1252.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

TEST(Win1252Test, ToUtf8) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"abc", "abc"},
        {"\xE9", "\xC3\xA9"},
        {"\x80", "\xE2\x82\xAC"},     // euro sign
        {"\x81", "\xC2\x81"},         // unassigned: kept as U+0081
        {"\x9D", "\xC2\x9D"},
        {"\x9F", "\xC5\xB8"},         // Y with diaeresis
        {std::string("\0", 1), std::string("\0", 1)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qb::Win1252ToUtf8(c.in), c.out);
}

TEST(Win1252Test, FromUtf8ReplacesWhatCannotBeHeld) {
    EXPECT_EQ(qb::Utf8ToWin1252("\xC3\xA9\xE2\x82\xAC"), "\xE9\x80");
    EXPECT_EQ(qb::Utf8ToWin1252("\xE4\xB8\xAD", '\xBF'), "\xBF");          // CJK
    EXPECT_EQ(qb::Utf8ToWin1252("a\xC3", '\xBF'), "a\xBF");                 // cut short
    EXPECT_EQ(qb::Utf8ToWin1252("\xC0\xAF", '\xBF'), "\xBF\xBF");           // overlong
    EXPECT_EQ(qb::Utf8ToWin1252("\xED\xA0\x80", '\xBF'), "\xBF\xBF\xBF");   // surrogate
}

TEST(Win1252Test, EveryByteRoundTripsThroughQString) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    QString text = qb::FromAnsi(all);
    EXPECT_EQ(text.at(0x80), QChar(0x20AC));
    EXPECT_EQ(qb::ToAnsi(text), all);
    EXPECT_EQ(qb::Utf8ToWin1252(qb::Win1252ToUtf8(all)), all);
}

} // namespace
