#include "filter/TNumEdit.h"

#include <QLocale>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <cmath>

namespace {

// Accepts what may still become a number while it is typed.
const QRegularExpression NumberPattern(R"(^\s*[-+]?[0-9]*([.,][0-9]*)?([eE][-+]?[0-9]*)?\s*$)");

bool ParseNumber(QString text, double& value) {
    text = text.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    value = QLocale::c().toDouble(text, &ok);
    return ok && std::isfinite(value);
}

} // namespace

TNumEdit::TNumEdit(double minValue, double maxValue, QWidget* parent)
    : QLineEdit(parent), FMin(minValue), FMax(maxValue), FValue(minValue) {
    setValidator(new QRegularExpressionValidator(NumberPattern, this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setText(FormatValue(FValue));
    connect(this, &QLineEdit::textEdited, this, &TNumEdit::TextEdited);
    connect(this, &QLineEdit::editingFinished, this, &TNumEdit::EditingFinished);
}

QString TNumEdit::FormatValue(double value) {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    return c.toString(value, 'g', 15);
}

double TNumEdit::Clamp(double value) const {
    if (std::isnan(value))
        return FMin;
    return std::clamp(value, FMin, FMax);
}

void TNumEdit::SetValue(double value) {
    const double bounded = Clamp(value);
    const bool changed = bounded != FValue;
    FValue = bounded;
    setText(FormatValue(FValue));
    if (changed)
        emit ValueChanged(FValue);
}

void TNumEdit::TextEdited(const QString& text) {
    double typed = 0;
    if (!ParseNumber(text, typed))
        return;
    const double bounded = Clamp(typed);
    if (bounded == FValue)
        return;
    FValue = bounded;
    emit ValueChanged(FValue);
}

void TNumEdit::EditingFinished() {
    // The text may show a value beyond the bounds or half a number; show
    // what is held.
    setText(FormatValue(FValue));
}
