#include "support/DayNumbers.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

TEST(DayNumbers, CalendarDatesMapToDaysFrom1600) {
    struct TCase {
        int Year, Month, Day;
        int32_t Number;
    };
    const TCase cases[] = {
        {1600, 1, 1, 0},    {2004, 1, 1, 147558},  {3999, 12, 31, 876581}, {2004, 2, 29, 147617},
        {1600, 2, 29, 59},  {2000, 2, 29, 146156}, {59, 1, 1, 167647},     {60, 1, 1, 131487},
        {0, 1, 1, 146097},  {99, 12, 31, 146096},  {1900, 2, 29, -1},      {2003, 2, 29, -1},
        {2004, 2, 30, -1},  {2004, 13, 1, -1},     {2004, 0, 1, -1},       {2004, 4, 31, -1},
        {1599, 12, 31, -1}, {4000, 1, 1, -1},      {100, 1, 1, -1},        {-1, 1, 1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qb::DateToDayNumber(c.Year, c.Month, c.Day), c.Number)
            << c.Year << "-" << c.Month << "-" << c.Day;
        if (c.Number >= 0 && c.Year >= 1600) {
            EXPECT_EQ(qb::DayNumberToDate(c.Number), (qb::TCalendarDate{c.Year, c.Month, c.Day}));
            EXPECT_EQ(qb::DayNumberToQDate(c.Number), QDate(c.Year, c.Month, c.Day));
            EXPECT_EQ(qb::QDateToDayNumber(QDate(c.Year, c.Month, c.Day)), c.Number);
        }
    }
    EXPECT_EQ(qb::DayNumberToDate(qb::kNoDate), (qb::TCalendarDate{1599, 12, 31}));
    EXPECT_FALSE(qb::DayNumberToQDate(qb::kNoDate).isValid());
    EXPECT_EQ(qb::QDateToDayNumber(QDate()), qb::kNoDate);
    EXPECT_EQ(qb::QDateToDayNumber(QDate(1599, 12, 31)), qb::kNoDate);
    EXPECT_EQ(qb::DayOfWeek(147558), 3); // 1 January 2004 was a Thursday
    EXPECT_EQ(qb::DayOfWeek(0), 5);      // 1 January 1600 was a Saturday
}

TEST(DayNumbers, TimesWrapWithoutRangeTests) {
    const std::tuple<int, int, int, int32_t> cases[] = {
        {12, 34, 56, 45296}, {0, 0, 0, 0},     {23, 59, 59, 86399}, {24, 0, 0, 0},
        {25, 61, 61, 7321},  {0, 0, 86400, 0}, {0, 0, -1, 86399},
    };
    for (auto [h, m, s, seconds] : cases)
        EXPECT_EQ(qb::TimeToSeconds(h, m, s), seconds) << h << ":" << m << ":" << s;
    EXPECT_EQ(qb::SecondsToTime(45296), (qb::TClockTime{12, 34, 56}));
    EXPECT_EQ(qb::SecondsToTime(qb::kNoTime), (qb::TClockTime{0, 0, 0}));
}

} // namespace
