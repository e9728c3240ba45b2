#include "filter/TRangePanel.h"

#include "filter/TNumEdit.h"
#include "support/TranslateText.h"

TRangePanel::TRangePanel(const TPanelArgs& args, double defaultMin, double defaultMax,
                         double lowerBound, double upperBound)
    : TFilterValuePanel(args, NarrowColumnWidth) {
    QWidget* column = LeftColumn();
    AddColumnLabel(TranslateText(QStringLiteral("Minimum")), 112);
    FMinEdit = new TNumEdit(lowerBound, upperBound, column);
    FMinEdit->setGeometry(6, 128, 185, 22);
    AddColumnLabel(TranslateText(QStringLiteral("Maximum")), 158);
    FMaxEdit = new TNumEdit(lowerBound, upperBound, column);
    FMaxEdit->setGeometry(6, 173, 185, 22);

    FMinEdit->SetValue(defaultMin);
    FMaxEdit->SetValue(defaultMax);
    connect(FMinEdit, &TNumEdit::ValueChanged, this, [this] { NotifyChange(FMinEdit); });
    connect(FMaxEdit, &TNumEdit::ValueChanged, this, [this] { NotifyChange(FMaxEdit); });
    TRangePanel::EnableControls(fuNotUsed);
}

void TRangePanel::EnableControls(TFilterUsage usage) {
    TFilterValuePanel::EnableControls(usage);
    FMinEdit->setEnabled(usage == fuUseFilter);
    FMaxEdit->setEnabled(usage == fuUseFilter);
}

double TRangePanel::Minimum() const {
    return FMinEdit->Value();
}
double TRangePanel::Maximum() const {
    return FMaxEdit->Value();
}
void TRangePanel::SetMinimum(double value) {
    FMinEdit->SetValue(value);
}
void TRangePanel::SetMaximum(double value) {
    FMaxEdit->SetValue(value);
}
