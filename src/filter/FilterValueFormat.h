#pragma once
// Numbers and date-times as filter files hold them.  Files are written in the
// user's regional settings (the default QLocale); reading also understands
// files written under other settings, so a filter moved between machines
// keeps its values.
//
// Writing:
//  - numbers: up to 15 significant digits, the locale's decimal separator,
//    no grouping, no trailing zeros, exponent (E) only below 0.00001 or with
//    more than 15 integer digits; ASCII digits always.
//  - date-times: the locale's short date format with the year widened to four
//    digits (two-digit years cannot carry 1900 .. 2999), a blank and the long
//    time format without time zone; the time is left out at midnight.  A
//    locale whose formats cannot be written in 8-bit text gets
//    "yyyy-MM-dd HH:mm:ss".
//
// Reading:
//  - numbers: one "." or "," is the decimal separator whatever the locale
//    (files never hold grouping); with both, the last one is.
//  - date-times: the locale's own format first; otherwise the numbers of the
//    text are taken apart: a four-digit first number is the year (y-M-d);
//    otherwise the year is last and day and month are ordered by the text's
//    own hints (an AM/PM time means month first; "." or "-" between the date
//    numbers, or a 24-hour time, means day first; else the locale's order),
//    swapped when only the other order gives a valid date.  Two-digit years
//    are refused: their century is a guess.
#include <QDateTime>
#include <QLocale>

#include <optional>
#include <string>
#include <string_view>

class TFilterValueFormat {
public:
    explicit TFilterValueFormat(QLocale locale = QLocale());

    std::string FormatNumber(double value) const;
    std::optional<double> ParseNumber(std::string_view text) const;

    std::string FormatDateTime(const QDateTime& value) const;
    std::optional<QDateTime> ParseDateTime(std::string_view text) const;

    // The patterns used for writing (Qt date-time format strings).
    QString DatePattern() const { return FDatePattern; }
    QString TimePattern() const { return FTimePattern; }
    char DecimalSeparator() const { return FDecimal; }

private:
    std::optional<QDateTime> ParseWithPatterns(const QString& text) const;
    std::optional<QDateTime> ParseByNumbers(std::string_view text) const;

    QLocale FLocale;
    QString FDatePattern;
    QString FTimePattern;
    bool FPatternsWritable = true;
    char FDecimal = '.';
    bool FDayBeforeMonth = false;
};
