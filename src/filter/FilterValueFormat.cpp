#include "filter/FilterValueFormat.h"

#include "support/Win1252.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Applies `change` to every run of one letter outside quoted literal text.
template <typename F> QString MapPatternRuns(const QString& pattern, F change) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size();) {
        QChar c = pattern[i];
        if (c == '\'') {
            quoted = !quoted;
            out += c;
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < pattern.size() && pattern[j] == c)
            ++j;
        QString run = pattern.mid(i, j - i);
        out += quoted || !c.isLetter() ? run : change(c, run);
        i = j;
    }
    return out;
}

// Blanks the code page cannot hold, or that readers would not expect.
QString PlainBlanks(QString text) {
    text.replace(QChar(0x202F), QChar(' '));
    text.replace(QChar(0x00A0), QChar(' '));
    return text;
}

bool Writable(const QString& text) {
    for (QChar c : text)
        if (qb::UnicodeToWin1252(c.unicode()) < 0)
            return false;
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           static_cast<unsigned char>(c) >= 0xC0;
}

// Digits, optional fraction, optional exponent, nothing else.
bool IsPlainNumber(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return false;
    }
    return i == s.size();
}

// Removes grouping separators from the integer part: a first group of one to
// three digits, then groups of exactly three.
std::optional<std::string> Ungroup(const std::string& s, char group, char decimal) {
    size_t end = s.find_first_of(std::string("eE") + (decimal ? std::string(1, decimal) : ""));
    std::string integer = s.substr(0, end);
    std::string rest = end == std::string::npos ? "" : s.substr(end);
    if (rest.find(group) != std::string::npos)
        return std::nullopt;
    std::string out;
    size_t start = !integer.empty() && (integer[0] == '-' || integer[0] == '+') ? 1 : 0;
    out = integer.substr(0, start);
    size_t first = integer.find(group, start);
    if (first == std::string::npos)
        return s;
    if (first == start || first - start > 3)
        return std::nullopt;
    out += integer.substr(start, first - start);
    for (size_t at = first; at != std::string::npos;) {
        size_t following = integer.find(group, at + 1);
        size_t length = (following == std::string::npos ? integer.size() : following) - at - 1;
        if (length != 3)
            return std::nullopt;
        out += integer.substr(at + 1, 3);
        at = following;
    }
    return out + rest;
}

struct TToken {
    enum { Number, Word } Kind;
    std::string Text;
    int Value = 0;
    char SeparatorBefore = 0; // first non-blank separator since the previous token
};

std::vector<TToken> Tokenize(std::string_view text) {
    std::vector<TToken> tokens;
    char separator = 0;
    for (size_t i = 0; i < text.size();) {
        char c = text[i];
        if (IsDigit(c) || IsLetter(c)) {
            bool number = IsDigit(c);
            size_t j = i;
            while (j < text.size() &&
                   (number ? IsDigit(text[j]) : (IsLetter(text[j]) || text[j] == '.')))
                ++j;
            TToken t{number ? TToken::Number : TToken::Word, std::string(text.substr(i, j - i))};
            if (number) {
                if (t.Text.size() > 6)
                    return {};
                t.Value = std::atoi(t.Text.c_str());
            }
            t.SeparatorBefore = separator;
            separator = 0;
            tokens.push_back(std::move(t));
            i = j;
            continue;
        }
        if (c != ' ' && separator == 0)
            separator = c;
        ++i;
    }
    return tokens;
}

QString Folded(const QString& s) {
    QString f = s.toCaseFolded();
    f.remove(QChar('.'));
    return f.trimmed();
}

} // namespace

TFilterValueFormat::TFilterValueFormat(QLocale locale) : FLocale(std::move(locale)) {
    FDatePattern = PlainBlanks(
        MapPatternRuns(FLocale.dateFormat(QLocale::ShortFormat), [](QChar c, const QString& run) {
            return c == 'y' ? QStringLiteral("yyyy") : run;
        }));
    FTimePattern =
        PlainBlanks(MapPatternRuns(FLocale.timeFormat(QLocale::LongFormat), [](QChar c,
                                                                               const QString& run) {
            return c == 't' ? QString() : run;
        })).trimmed();
    FDayBeforeMonth = FDatePattern.indexOf('d') < FDatePattern.indexOf('M');

    const QDateTime samples[] = {QDateTime(QDate(2999, 12, 31), QTime(22, 42, 7)),
                                 QDateTime(QDate(1900, 1, 1), QTime(9, 5, 1))};
    for (const QDateTime& s : samples)
        FPatternsWritable = FPatternsWritable &&
                            Writable(PlainBlanks(FLocale.toString(s.date(), FDatePattern))) &&
                            Writable(PlainBlanks(FLocale.toString(s.time(), FTimePattern)));
    if (!FPatternsWritable) {
        FDatePattern = QStringLiteral("yyyy-MM-dd");
        FTimePattern = QStringLiteral("HH:mm:ss");
        FDayBeforeMonth = false;
    }

    QString decimal = FLocale.decimalPoint();
    int byte = decimal.size() == 1 ? qb::UnicodeToWin1252(decimal[0].unicode()) : -1;
    if (byte > 0 && !IsDigit(static_cast<char>(byte)) && byte != '-' && byte != '+' &&
        byte != 'E' && byte != 'e')
        FDecimal = static_cast<char>(byte);
}

std::string TFilterValueFormat::FormatNumber(double value) const {
    if (!std::isfinite(value) || value == 0)
        return "0";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    // buffer: d.ddddddddddddddde[+-]xx
    std::string digits;
    digits += buffer[0];
    digits.append(buffer + 2, 14);
    int exponent = std::atoi(std::strchr(buffer, 'e') + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = value < 0 ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1) {
            out += FDecimal;
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += '0';
        out += FDecimal;
        out += std::string(static_cast<size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        size_t integerDigits = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= integerDigits) {
            out += digits + std::string(integerDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, integerDigits);
            out += FDecimal;
            out += digits.substr(integerDigits);
        }
    }
    return out;
}

std::optional<double> TFilterValueFormat::ParseNumber(std::string_view text) const {
    std::string s(text);
    if (FDecimal != '.' && FDecimal != ',')
        for (char& c : s)
            if (c == FDecimal)
                c = '.';
    size_t lastPoint = s.rfind('.'), lastComma = s.rfind(',');
    size_t points = static_cast<size_t>(std::count(s.begin(), s.end(), '.'));
    size_t commas = static_cast<size_t>(std::count(s.begin(), s.end(), ','));
    char decimal = 0, group = 0;
    if (points && commas) {
        decimal = lastPoint > lastComma ? '.' : ',';
        group = decimal == '.' ? ',' : '.';
    } else if (points == 1 || commas == 1) {
        decimal = points ? '.' : ',';
    } else if (points > 1 || commas > 1) {
        group = points ? '.' : ',';
    }
    if (decimal && std::count(s.begin(), s.end(), decimal) > 1)
        return std::nullopt;
    if (group) {
        std::optional<std::string> ungrouped = Ungroup(s, group, decimal);
        if (!ungrouped)
            return std::nullopt;
        s = *ungrouped;
    }
    if (decimal == ',')
        std::replace(s.begin(), s.end(), ',', '.');
    if (!IsPlainNumber(s))
        return std::nullopt;
    std::string_view digits = s;
    if (digits.front() == '+')
        digits.remove_prefix(1);
    double value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string TFilterValueFormat::FormatDateTime(const QDateTime& value) const {
    const QLocale& locale = FPatternsWritable ? FLocale : QLocale::c();
    QString text = locale.toString(value.date(), FDatePattern);
    QTime time = value.time();
    if (time.isValid() && (time.hour() || time.minute() || time.second()))
        text +=
            ' ' + locale.toString(QTime(time.hour(), time.minute(), time.second()), FTimePattern);
    return qb::ToAnsi(PlainBlanks(text));
}

std::optional<QDateTime> TFilterValueFormat::ParseWithPatterns(const QString& text) const {
    const QLocale& locale = FPatternsWritable ? FLocale : QLocale::c();
    QDateTime full = locale.toDateTime(text, FDatePattern + ' ' + FTimePattern);
    if (full.isValid())
        return full;
    QDate date = locale.toDate(text, FDatePattern);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0));
    return std::nullopt;
}

std::optional<QDateTime> TFilterValueFormat::ParseByNumbers(std::string_view text) const {
    std::vector<TToken> tokens = Tokenize(text);
    const QLocale english = QLocale(QLocale::English, QLocale::UnitedStates);
    auto monthOf = [&](const std::string& word) {
        QString w = Folded(qb::FromAnsi(word));
        for (const QLocale* l : {&FLocale, &english})
            for (int m = 1; m <= 12; ++m)
                for (auto format : {QLocale::ShortFormat, QLocale::LongFormat})
                    if (Folded(l->monthName(m, format)) == w ||
                        Folded(l->standaloneMonthName(m, format)) == w)
                        return m;
        return 0;
    };
    auto dayHalf = [&](const std::string& word) {
        QString w = Folded(qb::FromAnsi(word));
        if (w == "am" || w == Folded(FLocale.amText()))
            return 1;
        if (w == "pm" || w == Folded(FLocale.pmText()))
            return 2;
        return 0;
    };

    // The date: three numbers, or two numbers and a month name.
    std::vector<const TToken*> dateNumbers;
    int monthByName = 0;
    size_t next = 0;
    for (; next < tokens.size() && dateNumbers.size() + (monthByName ? 1 : 0) < 3; ++next) {
        const TToken& t = tokens[next];
        if (t.Kind == TToken::Number)
            dateNumbers.push_back(&t);
        else if (int m = monthOf(t.Text); m && !monthByName)
            monthByName = m;
    }
    // The time: up to three numbers and an optional AM/PM marker.
    std::vector<int> timeNumbers;
    int half = 0;
    for (; next < tokens.size(); ++next) {
        const TToken& t = tokens[next];
        if (t.Kind == TToken::Number)
            timeNumbers.push_back(t.Value);
        else if (int h = dayHalf(t.Text))
            half = h;
    }
    if (timeNumbers.size() > 3)
        return std::nullopt;

    int year = 0, month = 0, day = 0;
    if (monthByName) {
        if (dateNumbers.size() != 2)
            return std::nullopt;
        const TToken* y = dateNumbers[0]->Text.size() == 4 ? dateNumbers[0] : dateNumbers[1];
        const TToken* d = y == dateNumbers[0] ? dateNumbers[1] : dateNumbers[0];
        if (y->Text.size() != 4)
            return std::nullopt;
        year = y->Value, month = monthByName, day = d->Value;
    } else {
        if (dateNumbers.size() != 3)
            return std::nullopt;
        const TToken &a = *dateNumbers[0], &b = *dateNumbers[1], &c = *dateNumbers[2];
        if (a.Text.size() == 4) {
            year = a.Value, month = b.Value, day = c.Value;
        } else if (c.Text.size() == 4) {
            bool dayFirst;
            if (half)
                dayFirst = false;
            else if (b.SeparatorBefore == '.' || b.SeparatorBefore == '-')
                dayFirst = true;
            else if (!timeNumbers.empty())
                dayFirst = true;
            else
                dayFirst = FDayBeforeMonth;
            year = c.Value;
            day = dayFirst ? a.Value : b.Value;
            month = dayFirst ? b.Value : a.Value;
            if (!QDate(year, month, day).isValid() && QDate(year, day, month).isValid())
                std::swap(day, month);
        } else {
            return std::nullopt; // a two-digit year
        }
    }
    QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;

    int hour = timeNumbers.size() > 0 ? timeNumbers[0] : 0;
    int minute = timeNumbers.size() > 1 ? timeNumbers[1] : 0;
    int second = timeNumbers.size() > 2 ? timeNumbers[2] : 0;
    if (half) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (half == 2 ? 12 : 0);
    }
    QTime time(hour, minute, second);
    if (!time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

std::optional<QDateTime> TFilterValueFormat::ParseDateTime(std::string_view text) const {
    if (auto exact = ParseWithPatterns(qb::FromAnsi(text)))
        return exact;
    return ParseByNumbers(text);
}
