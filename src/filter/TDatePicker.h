#pragma once
// A date control bounded to [MinDate, MaxDate] that holds a date-time: the
// time of day is the one at which the control was created and is kept when a
// date is chosen or set.  Only the date carries meaning.
#include <QDateEdit>
#include <QDateTime>

class TDatePicker : public QDateEdit {
    Q_OBJECT
public:
    TDatePicker(QDate minDate, QDate maxDate, QWidget* parent = nullptr);

    QDateTime DateTime() const;
    // Throws Exception ("Date is less than minimum of %s" / "Date exceeds
    // maximum of %s") for a date outside the bounds; the value is unchanged.
    void SetDateTime(const QDateTime& value);
    // Sets the date and keeps the held time of day; same checks.
    void SetDate(QDate value);
    QTime TimeOfDay() const { return FTime; }

signals:
    void DateTimeChanged(const QDateTime& value);

private:
    void CheckBounds(QDate value) const;

    QTime FTime;
};
