#include "xmlrpc/XrDateTime.h"

#include "support/DayNumbers.h"
#include "support/Require.h"

#include <cstdio>
#include <string>

namespace {

// Digits become '9' and letters upper case, so a form is one string compare.
std::string PatternOf(std::string_view text) {
    std::string pattern(text);
    for (char& c : pattern) {
        if (c >= '0' && c <= '9')
            c = '9';
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return pattern;
}

// The number at 1-based positions first..last; the pattern has already
// shown them to be digits.
int Field(std::string_view text, int first, int last) {
    int value = 0;
    for (int i = first; i <= last; ++i)
        value = value * 10 + (text[static_cast<size_t>(i - 1)] - '0');
    return value;
}

// Outside the valid years a week or ordinal date has no day number.
int32_t ValidOrNone(int32_t base, int32_t dayNumber) {
    if (base == qb::kNoDate || dayNumber < 0 || dayNumber > qb::kLastDayNumber)
        return qb::kNoDate;
    return dayNumber;
}

int32_t WeekDate(int year, int week, int weekday) {
    Require(week >= 1 && week <= 53);
    Require(weekday >= 1 && weekday <= 7);
    int32_t j = qb::DateToDayNumber(year, 1, 4);
    if (j == qb::kNoDate)
        return qb::kNoDate;
    return ValidOrNone(j, j - qb::DayOfWeek(j) + 7 * (week - 1) + (weekday - 1));
}

int32_t OrdinalDate(int year, int dayOfYear) {
    int32_t first = qb::DateToDayNumber(year, 1, 1);
    return ValidOrNone(first, first + dayOfYear - 1);
}

int32_t ReadDate(std::string_view d) {
    const std::string p = PatternOf(d);
    if (p == "99999999")
        return qb::DateToDayNumber(Field(d, 1, 4), Field(d, 5, 6), Field(d, 7, 8));
    if (p == "9999-99-99")
        return qb::DateToDayNumber(Field(d, 1, 4), Field(d, 6, 7), Field(d, 9, 10));
    if (p == "999999")
        return qb::DateToDayNumber(Field(d, 1, 4), Field(d, 5, 6), 1);
    if (p == "9999-99")
        return qb::DateToDayNumber(Field(d, 1, 4), Field(d, 6, 7), 1);
    if (p == "9999")
        return qb::DateToDayNumber(Field(d, 1, 4), 1, 1);
    if (p == "9999W999")
        return WeekDate(Field(d, 1, 4), Field(d, 6, 7), Field(d, 8, 8));
    if (p == "9999-W99-9")
        return WeekDate(Field(d, 1, 4), Field(d, 7, 8), Field(d, 10, 10));
    if (p == "9999W99")
        return WeekDate(Field(d, 1, 4), Field(d, 6, 7), 1);
    if (p == "9999-W99")
        return WeekDate(Field(d, 1, 4), Field(d, 7, 8), 1);
    if (p == "9999-999")
        return OrdinalDate(Field(d, 1, 4), Field(d, 6, 8));
    if (p == "9999999")
        return OrdinalDate(Field(d, 1, 4), Field(d, 5, 7));
    return qb::kNoDate;
}

int32_t ReadTime(std::string_view t) {
    const std::string p = PatternOf(t);
    if (p == "999999")
        return qb::TimeToSeconds(Field(t, 1, 2), Field(t, 3, 4), Field(t, 5, 6));
    if (p == "99:99:99")
        return qb::TimeToSeconds(Field(t, 1, 2), Field(t, 4, 5), Field(t, 7, 8));
    if (p == "9999")
        return qb::TimeToSeconds(Field(t, 1, 2), Field(t, 3, 4), 0);
    if (p == "99:99")
        return qb::TimeToSeconds(Field(t, 1, 2), Field(t, 4, 5), 0);
    if (p == "99")
        return qb::TimeToSeconds(Field(t, 1, 2), 0, 0);
    return qb::kNoTime;
}

} // namespace

TIsoDateTime ReadIso8601(std::string_view text) {
    size_t t = text.find('T');
    std::string_view datePart = text.substr(0, t);
    std::string_view timePart =
        t == std::string_view::npos ? std::string_view{} : text.substr(t + 1);
    TIsoDateTime result;
    result.Date = ReadDate(datePart);
    timePart = timePart.substr(0, timePart.find('.'));
    if (timePart.empty())
        result.Time = result.Date != qb::kNoDate ? 0 : qb::kNoTime;
    else
        result.Time = ReadTime(timePart);
    return result;
}

std::unique_ptr<TXrDateTime> TXrDateTime::FromText(std::string_view text) {
    TIsoDateTime read = ReadIso8601(text);
    return std::make_unique<TXrDateTime>(read.Date, read.Time);
}

void TXrDateTime::AppendXml(std::string& out) const {
    qb::TCalendarDate d = qb::DayNumberToDate(Date);
    qb::TClockTime t = qb::SecondsToTime(Time);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.4d%.2d%.2dT%.2d:%.2d:%.2d", d.Year, d.Month, d.Day,
                  t.Hour, t.Minute, t.Second);
    out += "<dateTime.iso8601>";
    out += buffer;
    out += "</dateTime.iso8601>";
}
