#include "support/Exception.h"
#include "xmlrpc/ConvertError.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

namespace {

// "ok" cases convert; the others must fail with a conversion error ("convert")
// or a check error ("check").
TEST(ScalarFromText, IntegersAreSignedDecimal32BitUntrimmed) {
    const std::pair<const char*, int32_t> good[] = {{"7", 7},
                                                    {"-7", -7},
                                                    {"+7", 7},
                                                    {"007", 7},
                                                    {"2147483647", 2147483647},
                                                    {"-2147483648", -2147483647 - 1}};
    for (auto [text, value] : good)
        EXPECT_EQ(TXrInt4::FromText(text)->Value, value) << text;
    for (const char* bad : {"", " 7", "7 ", "1.5", "2147483648", "-2147483649", "0x10", "-", "+",
                            "+-1", "--1", "1e3"})
        EXPECT_THROW(TXrInt4::FromText(bad), EConvertError) << bad;
}

TEST(ScalarFromText, BooleansAreExactlyZeroOrOne) {
    EXPECT_TRUE(TXrBoolean::FromText("1")->Value);
    EXPECT_FALSE(TXrBoolean::FromText("0")->Value);
    for (const char* bad : {"", "true", "01", " 1", "2"})
        EXPECT_THROW(TXrBoolean::FromText(bad), Exception) << bad;
}

TEST(ScalarFromText, DoublesTakeSignDigitsAndPointOnly) {
    const std::pair<const char*, double> good[] = {{"1.5", 1.5}, {"-0.25", -0.25},
                                                   {"+3", 3},    {"5.", 5},
                                                   {".5", 0.5},  {"+0.100000000000000006", 0.1}};
    for (auto [text, value] : good)
        EXPECT_EQ(TXrDouble::FromText(text)->Value, value) << text;
    for (const char* check : {"1e5", "1,5", " 1", "inf", "nan", "0x1"}) {
        try {
            TXrDouble::FromText(check);
            ADD_FAILURE() << check;
        } catch (const EConvertError&) {
            ADD_FAILURE() << "conversion error instead of check error: " << check;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message().rfind("In module ", 0), 0u) << check;
        }
    }
    for (const char* convert : {"", "1.2.3", "1-2", "--1", "-", "+-1", "."})
        EXPECT_THROW(TXrDouble::FromText(convert), EConvertError) << convert;
}

TEST(ScalarFromText, Base64DecodesExactLengthAndSkipsLineBreaks) {
    const std::pair<const char*, std::string> good[] = {{"", ""},
                                                        {"AA==", std::string(1, '\0')},
                                                        {"AP8=", std::string("\0\xFF", 2)},
                                                        {"AP8Q", std::string("\0\xFF\x10", 3)},
                                                        {"QUJD\r\nREVG\n", "ABCDEF"},
                                                        {"QQ", "A"}};
    for (const auto& [text, bytes] : good)
        EXPECT_EQ(TXrBinary::FromText(text)->Data, bytes) << text;
    for (const char* bad : {"QU*D", "Q", "QQ==QQ==", "QUJD-"})
        EXPECT_THROW(TXrBinary::FromText(bad), EConvertError) << bad;
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_EQ(DecodeBase64(EncodeBase64(all)), all);
}

TEST(ScalarFromText, Iso8601DatesAndTimes) {
    struct TIsoCase {
        const char* Text;
        int32_t Date;
        int32_t Time; // as stored in TXrDateTime: -1 becomes 0
    };
    const TIsoCase cases[] = {
        {"20040101T12:34:56", 147558, 45296},
        {"2004-01-01", 147558, 0},
        {"200401", 147558, 0},
        {"2004-01", 147558, 0},
        {"2004", 147558, 0},
        {"2004-W01-1", 147555, 0},
        {"2004W011", 147555, 0},
        {"2004w011", 147555, 0},
        {"2004W01", 147555, 0},
        {"2004-W01", 147555, 0},
        {"2004-W53-1", 147919, 0},
        {"2004-W01-7", 147561, 0},
        {"2004-060", 147617, 0},
        {"2004060", 147617, 0},
        {"2003-366", 147558, 0},
        {"20040230T10:00", -1, 36000},
        {"20040230", -1, 0},
        {"20040101T12:00:00Z", 147558, 0},
        {"20040101T12:00:00+01:00", 147558, 0},
        {"20040101T12:00:00.75", 147558, 43200},
        {"20040101T123456", 147558, 45296},
        {"20040101T1234", 147558, 45240},
        {"20040101T12", 147558, 43200},
        {"20040101T25:61:61", 147558, 3600 + 3660 + 61},
        {"T12:00", -1, 43200},
        {"00590101", 167647, 0},
        {"00600101", 131487, 0},
        {"16000101", 0, 0},
        {"39991231", 876581, 0},
        {"40000101", -1, 0},
        {"15991231", -1, 0},
        {"2004-1-1", -1, 0},
        {"", -1, 0},
        {"t12:00", -1, 0},
    };
    for (const auto& c : cases) {
        auto value = TXrDateTime::FromText(c.Text);
        EXPECT_EQ(value->Date, c.Date) << c.Text;
        EXPECT_EQ(value->Time, c.Time) << c.Text;
    }
    // Before the stored form: no time is -1 when there is no date either.
    EXPECT_EQ(ReadIso8601("20040230").Time, -1);
    EXPECT_EQ(ReadIso8601("2004").Time, 0);
    for (const char* bad : {"2004-W54-1", "2004-W00-1", "2004-W01-8", "2004-W01-0", "2004W540"})
        EXPECT_THROW(TXrDateTime::FromText(bad), Exception) << bad;
}

} // namespace
