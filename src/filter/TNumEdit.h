#pragma once
// A one-line edit for a double bounded to [Min, Max].  The value is kept as
// the double itself, so 13-digit bounds and long fractions survive; a typed
// or set value outside the bounds becomes the nearer bound.
#include <QLineEdit>

class TNumEdit : public QLineEdit {
    Q_OBJECT
public:
    TNumEdit(double minValue, double maxValue, QWidget* parent = nullptr);

    double Value() const { return FValue; }
    // Clamps to the bounds; emits ValueChanged when the value differs.
    void SetValue(double value);
    double MinValue() const { return FMin; }
    double MaxValue() const { return FMax; }

    // The text the edit shows for a value: up to 15 significant digits, no
    // grouping, no trailing zeros.
    static QString FormatValue(double value);

signals:
    void ValueChanged(double value);

private:
    void TextEdited(const QString& text);
    void EditingFinished();
    double Clamp(double value) const;

    double FMin;
    double FMax;
    double FValue;
};
