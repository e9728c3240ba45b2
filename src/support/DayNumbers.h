#pragma once
// Dates as day numbers and times of day as seconds, the one form in which the
// whole program (XML-RPC date-times, search dates, date pickers) keeps them.
//
// A day number counts Gregorian days from 1 January 1600 (day 0); 1 January
// 2004 is day 147558 and 31 December 3999 (day 876581) the last valid day.
// kNoDate (-1) means no date.  A time of day is 0..86399 seconds since
// midnight; kNoTime (-1) means none.
#include <cstdint>

class QDate;

namespace qb {

constexpr int32_t kNoDate = -1;
constexpr int32_t kNoTime = -1;
constexpr int32_t kLastDayNumber = 876581; // 31 December 3999

struct TCalendarDate {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    friend bool operator==(const TCalendarDate&, const TCalendarDate&) = default;
};

struct TClockTime {
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    friend bool operator==(const TClockTime&, const TClockTime&) = default;
};

// Day number of a calendar date, or kNoDate when the triple is not a real
// date or its year lies outside 1600..3999.  A year below 100 is first taken
// as 2000..2059 (0..59) or 1960..1999 (60..99).
int32_t DateToDayNumber(int year, int month, int day);

// Calendar date of a day number: kNoDate gives 31 December 1599, the day
// before day 0.  Numbers far outside kNoDate..kLastDayNumber give no
// meaningful date.
TCalendarDate DayNumberToDate(int32_t dayNumber);

// 0 = Monday .. 6 = Sunday.
int DayOfWeek(int32_t dayNumber);

// (hour mod 24 * 3600 + minute * 60 + second) mod 86400, without any range
// test of the fields.  Negative sums wrap into 0..86399.
int32_t TimeToSeconds(int hour, int minute, int second);

// Hour, minute and second of a time of day; kNoTime gives 00:00:00.
TClockTime SecondsToTime(int32_t seconds);

// Bridges to the user interface's date type.  An invalid QDate or one
// outside 1600..3999 gives kNoDate; kNoDate gives an invalid QDate.
int32_t QDateToDayNumber(const QDate& date);
QDate DayNumberToQDate(int32_t dayNumber);

} // namespace qb
