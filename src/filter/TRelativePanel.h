#pragma once
#include "filter/TFilterValuePanel.h"

class QLabel;
class TNumEdit;

// A percentage above or below a reference field (fixed at construction).
class TRelativePanel : public TFilterValuePanel {
    Q_OBJECT
public:
    TRelativePanel(const TPanelArgs& args, const QString& referenceCaption,
                   double defaultPercentage, bool higherThan, std::string relativeColumn);

    TPanelKind Kind() const override { return pkRelative; }
    void EnableControls(TFilterUsage usage) override;

    // Bounded to 0 .. 100000; outside values become the nearer bound.
    double Percentage() const;
    void SetPercentage(double value);
    const std::string& RelativeColumn() const { return FRelativeColumn; }
    bool HigherThan() const { return FHigherThan; }

    TNumEdit* PercentEdit() const { return FPercentEdit; }
    QLabel* RelativeLabel() const { return FRelativeLabel; }

    static constexpr double MaxPercentage = 100000;

private:
    TNumEdit* FPercentEdit;
    QLabel* FRelativeLabel;
    std::string FRelativeColumn;
    bool FHigherThan;
};
