#pragma once
// Compares two cell texts of a sort column.  Each text is read once into a
// key holding every reading of it; the comparison then picks, pair by pair,
// the first reading both keys share: number, currency amount, date (or
// date-time), else case-insensitive text in the locale's collation.  The
// other sort kinds use their one reading for every pair.
#include "grid/GridSortKind.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <optional>

struct TCellKey {
    bool IsNumber = false;
    bool IsCurrency = false;
    bool IsDate = false;
    double Number = 0;
    double Currency = 0;
    qint64 DateTime = 0; // milliseconds on a common scale
    std::optional<QCollatorSortKey> Text;
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
