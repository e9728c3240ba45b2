#include "filter/TRelativePanel.h"

#include "filter/TNumEdit.h"
#include "support/TranslateText.h"

#include <QLabel>

TRelativePanel::TRelativePanel(const TPanelArgs& args, const QString& referenceCaption,
                               double defaultPercentage, bool higherThan,
                               std::string relativeColumn)
    : TFilterValuePanel(args, NarrowColumnWidth), FRelativeColumn(std::move(relativeColumn)),
      FHigherThan(higherThan) {
    QWidget* column = LeftColumn();
    QString format =
        higherThan ? QStringLiteral("Higher than %s by") : QStringLiteral("Lower than %s by");
    FRelativeLabel = new QLabel(format.replace(QLatin1String("%s"), referenceCaption), column);
    FRelativeLabel->setFont(LabelFont());
    FRelativeLabel->setGeometry(6, 110, 180, FRelativeLabel->sizeHint().height());

    FPercentEdit = new TNumEdit(0, MaxPercentage, column);
    FPercentEdit->setGeometry(6, 130, 105, 22);
    auto* percentLabel = new QLabel(TranslateText(QStringLiteral("Percent")).toLower(), column);
    percentLabel->setFont(LabelFont());
    percentLabel->adjustSize();
    // Centred on the edit's text line.
    percentLabel->move(FPercentEdit->geometry().right() + 1 + 8,
                       130 + (FPercentEdit->height() - percentLabel->height()) / 2);

    FPercentEdit->SetValue(defaultPercentage);
    connect(FPercentEdit, &TNumEdit::ValueChanged, this, [this] { NotifyChange(FPercentEdit); });
    TRelativePanel::EnableControls(fuNotUsed);
}

void TRelativePanel::EnableControls(TFilterUsage usage) {
    TFilterValuePanel::EnableControls(usage);
    FPercentEdit->setEnabled(usage == fuUseFilter);
}

double TRelativePanel::Percentage() const {
    return FPercentEdit->Value();
}
void TRelativePanel::SetPercentage(double value) {
    FPercentEdit->SetValue(value);
}
