#include "filter/TDateRangePanel.h"

#include "filter/TDatePicker.h"
#include "support/TranslateText.h"

TDateRangePanel::TDateRangePanel(const TPanelArgs& args, QDate defaultMin, QDate defaultMax,
                                 QDate lowerBound, QDate upperBound)
    : TFilterValuePanel(args, NarrowColumnWidth) {
    QWidget* column = LeftColumn();
    AddColumnLabel(TranslateText(QStringLiteral("Minimum")), 112);
    FMinPicker = new TDatePicker(lowerBound, upperBound, column);
    FMinPicker->setGeometry(6, 128, 185, 22);
    AddColumnLabel(TranslateText(QStringLiteral("Maximum")), 158);
    FMaxPicker = new TDatePicker(lowerBound, upperBound, column);
    FMaxPicker->setGeometry(6, 173, 185, 22);

    FMinPicker->SetDate(defaultMin);
    FMaxPicker->SetDate(defaultMax);
    connect(FMinPicker, &TDatePicker::DateTimeChanged, this, [this] { NotifyChange(FMinPicker); });
    connect(FMaxPicker, &TDatePicker::DateTimeChanged, this, [this] { NotifyChange(FMaxPicker); });
    TDateRangePanel::EnableControls(fuNotUsed);
}

void TDateRangePanel::EnableControls(TFilterUsage usage) {
    TFilterValuePanel::EnableControls(usage);
    FMinPicker->setEnabled(usage == fuUseFilter);
    FMaxPicker->setEnabled(usage == fuUseFilter);
}

QDateTime TDateRangePanel::Minimum() const {
    return FMinPicker->DateTime();
}
QDateTime TDateRangePanel::Maximum() const {
    return FMaxPicker->DateTime();
}
void TDateRangePanel::SetMinimum(const QDateTime& value) {
    FMinPicker->SetDateTime(value);
}
void TDateRangePanel::SetMaximum(const QDateTime& value) {
    FMaxPicker->SetDateTime(value);
}
