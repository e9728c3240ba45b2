#include "support/DayNumbers.h"

#include <QDate>
#include <chrono>

namespace qb {
namespace {

using namespace std::chrono;

constexpr sys_days kDayZero = sys_days{year{1600} / January / 1};

int32_t ToDayNumber(const sys_days& day) {
    return static_cast<int32_t>((day - kDayZero).count());
}

} // namespace

int32_t DateToDayNumber(int y, int m, int d) {
    if (y >= 0 && y < 100)
        y += y < 60 ? 2000 : 1900;
    if (y < 1600 || y > 3999 || m < 1 || m > 12 || d < 1 || d > 31)
        return kNoDate;
    year_month_day date{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    if (!date.ok())
        return kNoDate;
    return ToDayNumber(sys_days{date});
}

TCalendarDate DayNumberToDate(int32_t dayNumber) {
    year_month_day date{kDayZero + days{dayNumber}};
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

int DayOfWeek(int32_t dayNumber) {
    return static_cast<int>(weekday{kDayZero + days{dayNumber}}.iso_encoding()) - 1;
}

int32_t TimeToSeconds(int hour, int minute, int second) {
    int64_t total = static_cast<int64_t>(hour % 24) * 3600 + static_cast<int64_t>(minute) * 60 +
                    static_cast<int64_t>(second);
    total %= 86400;
    if (total < 0)
        total += 86400;
    return static_cast<int32_t>(total);
}

TClockTime SecondsToTime(int32_t seconds) {
    if (seconds < 0)
        return {};
    return {seconds / 3600 % 24, seconds / 60 % 60, seconds % 60};
}

int32_t QDateToDayNumber(const QDate& date) {
    if (!date.isValid())
        return kNoDate;
    return DateToDayNumber(date.year(), date.month(), date.day());
}

QDate DayNumberToQDate(int32_t dayNumber) {
    if (dayNumber < 0 || dayNumber > kLastDayNumber)
        return {};
    TCalendarDate d = DayNumberToDate(dayNumber);
    return QDate(d.Year, d.Month, d.Day);
}

} // namespace qb
