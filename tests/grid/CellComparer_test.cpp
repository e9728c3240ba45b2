#include "grid/CellComparer.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

const QLocale UnitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale Germany(QLocale::German, QLocale::Germany);

qint64 At(int y, int m, int d, int hour = 0, int minute = 0) {
    return QDate(y, m, d).toJulianDay() * qint64(86'400'000) + (hour * 60 + minute) * 60'000;
}

TEST(CellComparer, ReadsNumbersCurrencyAndDatesOfTheLocale) {
    const TCellComparer us(skAutomatic, UnitedStates, 1976);
    const TCellComparer de(skAutomatic, Germany, 1976);

    struct Case {
        const TCellComparer* comparer;
        QString text;
        std::optional<double> number, currency;
        std::optional<qint64> date;
    } cases[] = {
        {&us, " 12.5 ", 12.5, 12.5, {}},
        {&us, "-3.5e2", -350, -350, {}},
        {&us, "1,234.50", {}, 1234.5, {}}, // grouped: a currency amount, not a plain number
        {&us, "$1,234.50", {}, 1234.5, {}},
        {&us, "($5.00)", {}, -5, {}},
        {&us, "-$5", {}, -5, {}},
        {&us, "n/a", {}, {}, {}},
        {&us, "nan", {}, {}, {}},
        {&us, "inf", {}, {}, {}},
        {&us, "", {}, {}, {}},
        {&us, "3/15/07", {}, {}, At(2007, 3, 15)},
        {&us, "12/31/76", {}, {}, At(1976, 12, 31)}, // window 1976 .. 2075
        {&us, "1/1/75", {}, {}, At(2075, 1, 1)},
        {&us, "1/2/2008", {}, {}, At(2008, 1, 2)},
        {&us, "3/15/2007 2:30 PM", {}, {}, At(2007, 3, 15, 14, 30)},
        {&us, "3/15/2007 12:05 am", {}, {}, At(2007, 3, 15, 0, 5)},
        {&us, "2/30/07", {}, {}, {}},
        {&us, "3/15", {}, {}, {}},
        {&us, "3/15/07 x", {}, {}, {}},
        {&de, "12,5", 12.5, 12.5, {}},
        {&de, "12.5", {}, {}, {}},
        {&de, "15.03.07", {}, {}, At(2007, 3, 15)},
        {&de, "1.234,50 €", {}, 1234.5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(c.comparer->ReadNumber(c.text), c.number);
        EXPECT_EQ(c.comparer->ReadCurrency(c.text), c.currency);
        EXPECT_EQ(c.comparer->ReadDateTime(c.text), c.date);
    }
}

TEST(CellComparer, ChoosesTheComparisonForEachPair) {
    const TCellComparer automatic(skAutomatic, UnitedStates, 1976);
    auto order = [&](const char* a, const char* b) {
        const int r = automatic.Compare(automatic.Key(a), automatic.Key(b));
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    };
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"9", "10", -1},             // numbers, not text
        {"$99.00", "$1,234.50", -1}, // currency amounts
        {"10", "$5", 1},             // a number and an amount compare as amounts
        {"12/1/06", "3/15/07", -1},  // dates
        {"12/1/06", "1/2/2008", -1}, // two- and four-digit years
        {"10", "n/a", -1},           // text against a number
        {"b", "A", 1},               // case-insensitive text
        {"a", "A", 0},
        {"12/1/06", "n/a", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(order(c.a, c.b), c.expected) << c.a << " vs " << c.b;
}

TEST(CellComparer, FixedKindsUseOneReadingForEveryPair) {
    const TCellComparer text(skText, UnitedStates);
    EXPECT_GT(text.Compare(text.Key("9"), text.Key("10")), 0);
    const TCellComparer caseSensitive(skTextCaseSensitive, UnitedStates);
    EXPECT_NE(caseSensitive.Compare(caseSensitive.Key("a"), caseSensitive.Key("A")), 0);
    const TCellComparer numeric(skNumeric, UnitedStates);
    EXPECT_LT(numeric.Compare(numeric.Key("9"), numeric.Key("10")), 0);
}

} // namespace
