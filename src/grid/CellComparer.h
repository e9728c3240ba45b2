#pragma once
// Compares two cell texts of a sort column.  Each text is read at most once
// in each way (kept in its key); the comparison then picks, pair by pair,
// the first reading both keys share: number, currency amount, date (or
// date-time), else case-insensitive text in the locale's collation.  The
// other sort kinds use their one reading for every pair.
#include "grid/GridSortKind.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <optional>

// One cell's text and its readings, each worked out the first time a
// comparison needs it.
struct TCellKey {
    QString Text;
    // Filled in by TCellComparer as needed.
    mutable std::optional<std::optional<double>> Number;
    mutable std::optional<std::optional<double>> Currency;
    mutable std::optional<std::optional<qint64>> DateTime; // ms on a common scale
    mutable std::optional<QCollatorSortKey> Collation;
};

class TCellComparer {
public:
    // `twoDigitYearBase`: the first year of the hundred-year window that a
    // two-digit year falls into (the current year minus 50 by default).
    explicit TCellComparer(TGridSortKind kind, const QLocale& locale = QLocale(),
                           std::optional<int> twoDigitYearBase = std::nullopt);

    TCellKey Key(const QString& text) const;
    // <0, 0, >0 as a is less than, equal to, greater than b.
    int Compare(const TCellKey& a, const TCellKey& b) const;

    // The single readings; exposed for tests.
    std::optional<double> ReadNumber(const QString& text) const;
    std::optional<double> ReadCurrency(const QString& text) const;
    std::optional<qint64> ReadDateTime(const QString& text) const;

private:
    const std::optional<double>& NumberOf(const TCellKey& key) const;
    const std::optional<double>& CurrencyOf(const TCellKey& key) const;
    const std::optional<qint64>& DateTimeOf(const TCellKey& key) const;
    const QCollatorSortKey& CollationOf(const TCellKey& key) const;

    struct TDateOrder {
        int Day = 0, Month = 1, Year = 2; // position of each field
        QChar Separator = '/';
        bool Usable = false;
    };

    TGridSortKind FKind;
    QLocale FLocale;
    QLocale FNumberLocale;
    QCollator FCollator;
    QString FCurrencySymbol;
    TDateOrder FDateOrder;
    int FYearBase;
};
