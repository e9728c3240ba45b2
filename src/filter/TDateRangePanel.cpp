#include "filter/TDateRangePanel.h"

#include "filter/TDatePicker.h"
#include "support/TranslateText.h"

#include <QLabel>

namespace {

constexpr int LeftColumnWidth = 193;

QLabel* AddLabel(const QString& text, int top, const QFont& font, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->move(6, top);
    label->adjustSize();
    return label;
}

} // namespace

TDateRangePanel::TDateRangePanel(const TPanelArgs& args, QDate defaultMin, QDate defaultMax,
                                 QDate lowerBound, QDate upperBound)
    : TFilterValuePanel(args, LeftColumnWidth) {
    QWidget* column = LeftColumn();
    AddLabel(TranslateText(QStringLiteral("Minimum")), 112, LabelFont(), column);
    FMinPicker = new TDatePicker(lowerBound, upperBound, column);
    FMinPicker->setGeometry(6, 128, 185, 22);
    AddLabel(TranslateText(QStringLiteral("Maximum")), 158, LabelFont(), column);
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
