#pragma once
#include "filter/TFilterValuePanel.h"

#include <QDateTime>

class TDatePicker;

// A date range.  Each date control holds a date-time whose time of day is the
// moment the control was created; only the date is meaningful.
class TDateRangePanel : public TFilterValuePanel {
    Q_OBJECT
public:
    TDateRangePanel(const TPanelArgs& args, QDate defaultMin, QDate defaultMax, QDate lowerBound,
                    QDate upperBound);

    TPanelKind Kind() const override { return pkDateRange; }
    void EnableControls(TFilterUsage usage) override;

    QDateTime Minimum() const;
    QDateTime Maximum() const;
    // Throw Exception for a date outside the bounds ("Date is less than
    // minimum of %s", "Date exceeds maximum of %s"); the value is unchanged.
    void SetMinimum(const QDateTime& value);
    void SetMaximum(const QDateTime& value);

    TDatePicker* MinDatePicker() const { return FMinPicker; }
    TDatePicker* MaxDatePicker() const { return FMaxPicker; }

private:
    TDatePicker* FMinPicker;
    TDatePicker* FMaxPicker;
};
