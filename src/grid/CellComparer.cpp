#include "grid/CellComparer.h"

#include "support/AppEnvironment.h"

#include <QDate>
#include <QTime>
#include <cmath>

namespace {

template <class T> int Order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Reads up to `maxDigits` decimal digits at `pos`; -1 when there is none.
int ReadDigits(const QString& s, qsizetype& pos, int maxDigits, int* count = nullptr) {
    int value = 0, n = 0;
    while (pos < s.size() && n < maxDigits && s[pos].isDigit() && s[pos].unicode() < 128) {
        value = value * 10 + (s[pos].unicode() - '0');
        ++pos;
        ++n;
    }
    if (count)
        *count = n;
    return n == 0 ? -1 : value;
}

void SkipSpaces(const QString& s, qsizetype& pos) {
    while (pos < s.size() && s[pos].isSpace())
        ++pos;
}

} // namespace

TCellComparer::TCellComparer(TGridSortKind kind, const QLocale& locale,
                             std::optional<int> twoDigitYearBase)
    : FKind(kind), FLocale(locale), FNumberLocale(locale), FCollator(locale) {
    FNumberLocale.setNumberOptions(FNumberLocale.numberOptions() | QLocale::RejectGroupSeparator);
    FCollator.setCaseSensitivity(kind == skTextCaseSensitive ? Qt::CaseSensitive
                                                             : Qt::CaseInsensitive);
    FCurrencySymbol = FLocale.currencySymbol(QLocale::CurrencySymbol);
    FYearBase = twoDigitYearBase ? *twoDigitYearBase : qb::Today().year() - 50;

    // The order of day, month and year in the short date format, when it
    // is made of numeric fields only.
    const QString format = FLocale.dateFormat(QLocale::ShortFormat);
    int positions[3] = {-1, -1, -1}; // d, M, y
    int field = 0;
    bool numeric = true;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        if (c == 'd' || c == 'M' || c == 'y') {
            const int slot = c == 'd' ? 0 : (c == 'M' ? 1 : 2);
            if (positions[slot] >= 0 || (c != 'y' && run > 2) || (c == 'y' && run != 2 && run != 4))
                numeric = false;
            else
                positions[slot] = field++;
        } else if (c.isLetter() || c == '\'') {
            numeric = false;
        } else if (field == 1) {
            FDateOrder.Separator = c;
        }
        i += run;
    }
    if (numeric && field == 3) {
        FDateOrder.Day = positions[0];
        FDateOrder.Month = positions[1];
        FDateOrder.Year = positions[2];
        FDateOrder.Usable = true;
    }
}

std::optional<double> TCellComparer::ReadNumber(const QString& text) const {
    bool ok = false;
    const double value = FNumberLocale.toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> TCellComparer::ReadCurrency(const QString& text) const {
    QString s = text.trimmed();
    bool negative = false;
    auto takeSign = [&] {
        if (s.startsWith(FLocale.negativeSign()) || s.startsWith('-')) {
            negative = !negative;
            s = s.mid(1).trimmed();
        }
    };
    if (s.size() >= 2 && s.startsWith('(') && s.endsWith(')')) {
        negative = true;
        s = s.mid(1, s.size() - 2).trimmed();
    }
    takeSign();
    if (!FCurrencySymbol.isEmpty()) {
        if (s.startsWith(FCurrencySymbol))
            s = s.mid(FCurrencySymbol.size()).trimmed();
        else if (s.endsWith(FCurrencySymbol))
            s = s.left(s.size() - FCurrencySymbol.size()).trimmed();
    }
    if (!negative)
        takeSign();
    if (s.isEmpty() || !s[0].isDigit())
        if (s.isEmpty() || s[0] != FLocale.decimalPoint()[0])
            return std::nullopt;
    bool ok = false;
    const double value = FLocale.toDouble(s, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<qint64> TCellComparer::ReadDateTime(const QString& text) const {
    QDate date;
    qsizetype pos = 0;
    if (FDateOrder.Usable) {
        SkipSpaces(text, pos);
        int parts[3] = {0, 0, 0};
        int yearDigits = 0;
        for (int f = 0; f < 3; ++f) {
            if (f > 0) {
                if (pos >= text.size() || text[pos] != FDateOrder.Separator)
                    return std::nullopt;
                ++pos;
            }
            int digits = 0;
            parts[f] = ReadDigits(text, pos, f == FDateOrder.Year ? 4 : 2, &digits);
            if (parts[f] < 0)
                return std::nullopt;
            if (f == FDateOrder.Year)
                yearDigits = digits;
        }
        int year = parts[FDateOrder.Year];
        if (yearDigits <= 2) {
            year += FYearBase / 100 * 100;
            if (year < FYearBase)
                year += 100;
        }
        date = QDate(year, parts[FDateOrder.Month], parts[FDateOrder.Day]);
        if (!date.isValid())
            return std::nullopt;
    } else {
        // A format with names in it: the locale's own reader, date only.
        date = FLocale.toDate(text.trimmed(), QLocale::ShortFormat);
        if (!date.isValid())
            return std::nullopt;
        pos = text.size();
    }

    QTime time(0, 0);
    SkipSpaces(text, pos);
    if (pos < text.size()) {
        const int hour = ReadDigits(text, pos, 2);
        if (hour < 0 || pos >= text.size() || text[pos] != ':')
            return std::nullopt;
        ++pos;
        const int minute = ReadDigits(text, pos, 2);
        int second = 0;
        if (minute < 0)
            return std::nullopt;
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
            second = ReadDigits(text, pos, 2);
            if (second < 0)
                return std::nullopt;
        }
        SkipSpaces(text, pos);
        int h = hour;
        const QString rest = text.mid(pos).trimmed();
        if (!rest.isEmpty()) {
            const bool am = rest.compare(FLocale.amText(), Qt::CaseInsensitive) == 0;
            const bool pm = rest.compare(FLocale.pmText(), Qt::CaseInsensitive) == 0;
            if ((!am && !pm) || hour < 1 || hour > 12)
                return std::nullopt;
            h = hour % 12 + (pm ? 12 : 0);
        }
        time = QTime(h, minute, second);
        if (!time.isValid())
            return std::nullopt;
    }
    return date.toJulianDay() * qint64(86'400'000) + time.msecsSinceStartOfDay();
}

TCellKey TCellComparer::Key(const QString& text) const {
    return TCellKey{text, {}, {}, {}, {}};
}

const std::optional<double>& TCellComparer::NumberOf(const TCellKey& key) const {
    if (!key.Number)
        key.Number = ReadNumber(key.Text);
    return *key.Number;
}

const std::optional<double>& TCellComparer::CurrencyOf(const TCellKey& key) const {
    if (!key.Currency)
        key.Currency = ReadCurrency(key.Text);
    return *key.Currency;
}

const std::optional<qint64>& TCellComparer::DateTimeOf(const TCellKey& key) const {
    if (!key.DateTime)
        key.DateTime = ReadDateTime(key.Text);
    return *key.DateTime;
}

const QCollatorSortKey& TCellComparer::CollationOf(const TCellKey& key) const {
    if (!key.Collation)
        key.Collation = FCollator.sortKey(key.Text);
    return *key.Collation;
}

int TCellComparer::Compare(const TCellKey& a, const TCellKey& b) const {
    switch (FKind) {
    case skAutomatic:
        // The first reading that both texts allow decides.
        if (NumberOf(a) && NumberOf(b))
            return Order(*NumberOf(a), *NumberOf(b));
        if (CurrencyOf(a) && CurrencyOf(b))
            return Order(*CurrencyOf(a), *CurrencyOf(b));
        if (DateTimeOf(a) && DateTimeOf(b))
            return Order(*DateTimeOf(a), *DateTimeOf(b));
        return CollationOf(a).compare(CollationOf(b));
    case skNumeric:
        return Order(NumberOf(a).value_or(0), NumberOf(b).value_or(0));
    case skCurrency:
        return Order(CurrencyOf(a).value_or(0), CurrencyOf(b).value_or(0));
    case skDateTime:
        return Order(DateTimeOf(a).value_or(0), DateTimeOf(b).value_or(0));
    case skText:
    case skTextCaseSensitive:
    case skNone:
        break;
    }
    return CollationOf(a).compare(CollationOf(b));
}
