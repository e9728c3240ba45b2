#include "support/Require.h"

#include <gtest/gtest.h>

namespace {

std::string MessageOf(void (*f)()) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "<no error>";
}

TEST(RequireTest, MessageBlankLineThenLocation) {
    std::string text = MessageOf([] { Require(false, "Index out of range"); });
    EXPECT_EQ(text.rfind("Index out of range\r\n\r\nIn module Require_test and method ", 0), 0u)
        << text;
    EXPECT_NE(text.find("(Require_test.cpp, line "), std::string::npos) << text;
}

TEST(RequireTest, WithoutMessageOnlyLocation) {
    std::string text = MessageOf([] { Forbid(true); });
    EXPECT_EQ(text.rfind("In module Require_test and method ", 0), 0u) << text;
}

TEST(RequireTest, PassingChecksDoNothing) {
    EXPECT_NO_THROW(Require(true, "x"));
    EXPECT_NO_THROW(Forbid(false, "x"));
}

TEST(RequireTest, LocationTextForms) {
    EXPECT_EQ(qb::CheckLocationText("XrValue", "TXrStruct.Add", "XrValue.cpp", 42),
              "In module XrValue and method TXrStruct.Add (XrValue.cpp, line 42)");
    EXPECT_EQ(qb::CheckLocationText("XrValue", "TXrStruct.Add", "", 0),
              "In module XrValue and method TXrStruct.Add (file and line unknown)");
    EXPECT_EQ(qb::CheckLocationText("", "", "", 0), "UNKNOWN");
}

} // namespace
