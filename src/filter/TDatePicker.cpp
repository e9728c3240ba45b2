#include "filter/TDatePicker.h"

#include "support/Exception.h"
#include "support/Win1252.h"

#include <QLocale>

namespace {

QString ShortDate(QDate date) {
    return QLocale().toString(date, QLocale::ShortFormat);
}

// The locale's short date format with a four-digit year, so the control can
// show every year of its range.
QString DisplayFormat() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

} // namespace

TDatePicker::TDatePicker(QDate minDate, QDate maxDate, QWidget* parent)
    : QDateEdit(parent), FTime(QTime::currentTime()) {
    // Whole seconds: the time is written to filter files in that resolution.
    FTime = QTime(FTime.hour(), FTime.minute(), FTime.second());
    setDateRange(minDate, maxDate);
    setDisplayFormat(DisplayFormat());
    setCalendarPopup(true);
    setDate(minDate);
    connect(this, &QDateEdit::dateChanged, this,
            [this](QDate) { emit DateTimeChanged(DateTime()); });
}

QDateTime TDatePicker::DateTime() const {
    return QDateTime(date(), FTime);
}

void TDatePicker::CheckBounds(QDate value) const {
    if (!value.isValid() || value < minimumDate())
        throw Exception(qb::ToAnsi(
            QStringLiteral("Date is less than minimum of %1").arg(ShortDate(minimumDate()))));
    if (value > maximumDate())
        throw Exception(
            qb::ToAnsi(QStringLiteral("Date exceeds maximum of %1").arg(ShortDate(maximumDate()))));
}

void TDatePicker::SetDateTime(const QDateTime& value) {
    CheckBounds(value.date());
    const QTime time = value.time().isValid() ? value.time() : QTime(0, 0);
    if (time != FTime && value.date() == date()) {
        FTime = time;
        emit DateTimeChanged(DateTime());
        return;
    }
    FTime = time;
    setDate(value.date());
}

void TDatePicker::SetDate(QDate value) {
    CheckBounds(value);
    setDate(value);
}
