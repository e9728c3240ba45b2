#include "filter/FilterValueFormat.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QLocale US("en_US");
const QLocale German("de_DE");

TEST(FilterValueFormatTest, NumbersAreWrittenInTheGeneralFormat) {
    struct Case {
        double value;
        const char *us, *german;
    } cases[] = {
        {0, "0", "0"},
        {-0.0, "0", "0"},
        {5, "5", "5"},
        {-9999, "-9999", "-9999"},
        {2.5, "2.5", "2,5"},
        {9999999999999, "9999999999999", "9999999999999"},
        {0.1, "0.1", "0,1"},
        {1.0 / 3, "0.333333333333333", "0,333333333333333"},
        {123456789.123456789, "123456789.123457", "123456789,123457"},
        {0.00001, "0.00001", "0,00001"},
        {0.000001, "1E-6", "1E-6"},
        {-1.5e-7, "-1.5E-7", "-1,5E-7"},
        {999999999999999, "999999999999999", "999999999999999"},
        {1e15, "1E15", "1E15"},
        {1.25e20, "1.25E20", "1,25E20"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TFilterValueFormat(US).FormatNumber(c.value), c.us) << c.value;
        EXPECT_EQ(TFilterValueFormat(German).FormatNumber(c.value), c.german) << c.value;
    }
}

TEST(FilterValueFormatTest, NumbersAreReadWhateverTheWritersSeparator) {
    struct Case {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"2.5", 2.5},
        {"2,5", 2.5},
        {"-9999", -9999},
        {"+3", 3},
        {"1,5E-7", 1.5e-7},
        {"1.5e-7", 1.5e-7},
        {"1,234.5", 1234.5},
        {"1.234,5", 1234.5},
        {"1.234.567", 1234567},
        {",5", 0.5},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"1.2.3", std::nullopt},
        {"12,34,5", std::nullopt},
        {"1,234.5.6", std::nullopt},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"1e999", std::nullopt},
        {"5 5", std::nullopt},
        {"0x10", std::nullopt},
        {"1E", std::nullopt},
    };
    for (const QLocale& locale : {US, German}) {
        TFilterValueFormat format(locale);
        for (const Case& c : cases)
            EXPECT_EQ(format.ParseNumber(c.text), c.value)
                << c.text << " under " << locale.name().toStdString();
    }
}

TEST(FilterValueFormatTest, NumbersSurviveEveryPairOfLocales) {
    const QLocale locales[] = {US,           German,           QLocale("fr_FR"),
                               QLocale::c(), QLocale("ar_EG"), QLocale("fi_FI")};
    const double values[] = {2.5, -1234.75, 9999999999999, 0.000123, 1.5e-7, 12345.678901234};
    for (const QLocale& writer : locales)
        for (const QLocale& reader : locales)
            for (double v : values) {
                std::string text = TFilterValueFormat(writer).FormatNumber(v);
                std::optional<double> back = TFilterValueFormat(reader).ParseNumber(text);
                ASSERT_TRUE(back.has_value()) << text;
                EXPECT_DOUBLE_EQ(*back, v) << text << " " << writer.name().toStdString() << " -> "
                                           << reader.name().toStdString();
            }
}

TEST(FilterValueFormatTest, DateTimesAreWrittenWithFourDigitYears) {
    const QDateTime morning(QDate(1900, 1, 1), QTime(10, 42, 7));
    const QDateTime evening(QDate(2999, 12, 31), QTime(22, 5, 0));
    const QDateTime midnight(QDate(2026, 3, 4), QTime(0, 0, 0, 500));
    struct Case {
        QLocale locale;
        const char *morning, *evening, *midnight;
    } cases[] = {
        {US, "1/1/1900 10:42:07 AM", "12/31/2999 10:05:00 PM", "3/4/2026"},
        {German, "01.01.1900 10:42:07", "31.12.2999 22:05:00", "04.03.2026"},
        {QLocale("en_GB"), "01/01/1900 10:42:07", "31/12/2999 22:05:00", "04/03/2026"},
        // Formats the code page cannot hold fall back to one that it can.
        {QLocale("ja_JP"), "1900-01-01 10:42:07", "2999-12-31 22:05:00", "2026-03-04"},
        {QLocale("ar_EG"), "1900-01-01 10:42:07", "2999-12-31 22:05:00", "2026-03-04"},
    };
    for (const Case& c : cases) {
        TFilterValueFormat format(c.locale);
        EXPECT_EQ(format.FormatDateTime(morning), c.morning) << c.locale.name().toStdString();
        EXPECT_EQ(format.FormatDateTime(evening), c.evening) << c.locale.name().toStdString();
        EXPECT_EQ(format.FormatDateTime(midnight), c.midnight) << c.locale.name().toStdString();
    }
}

TEST(FilterValueFormatTest, DateTimesSurviveEveryPairOfLocales) {
    const QLocale locales[] = {US,
                               German,
                               QLocale("en_GB"),
                               QLocale("fr_FR"),
                               QLocale("nl_NL"),
                               QLocale("fi_FI"),
                               QLocale("hu_HU"),
                               QLocale("sv_SE"),
                               QLocale("ja_JP"),
                               QLocale("ko_KR"),
                               QLocale::c()};
    // Day and month both below 13 are told apart by the time's own form.
    const QDateTime values[] = {
        QDateTime(QDate(1900, 1, 1), QTime(10, 42, 7)),
        QDateTime(QDate(2999, 12, 31), QTime(10, 42, 7)),
        QDateTime(QDate(2000, 2, 1), QTime(23, 59, 59)),
        QDateTime(QDate(2012, 11, 5), QTime(0, 0, 1)),
        QDateTime(QDate(2024, 12, 31), QTime(0, 0)),
    };
    for (const QLocale& writer : locales)
        for (const QLocale& reader : locales)
            for (const QDateTime& v : values) {
                std::string text = TFilterValueFormat(writer).FormatDateTime(v);
                EXPECT_EQ(TFilterValueFormat(reader).ParseDateTime(text), v)
                    << text << " " << writer.name().toStdString() << " -> "
                    << reader.name().toStdString();
            }
}

TEST(FilterValueFormatTest, UnreadableDateTimes) {
    const char* texts[] = {"",
                           "abc",
                           "1/1/00",
                           "31.12.99 10:42:07",
                           "13/13/2000",
                           "2/30/2000",
                           "1/1/2000 25:00:00",
                           "1/1/2000 13:00:00 PM",
                           "1/1/2000 1:2:3:4"};
    for (const QLocale& locale : {US, German})
        for (const char* text : texts)
            EXPECT_EQ(TFilterValueFormat(locale).ParseDateTime(text), std::nullopt)
                << text << " under " << locale.name().toStdString();
}

} // namespace
