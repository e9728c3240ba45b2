#pragma once
#include "filter/TFilterValuePanel.h"

class TNumEdit;

// A numeric range: Minimum and Maximum bounded to the field's bounds.
class TRangePanel : public TFilterValuePanel {
    Q_OBJECT
public:
    TRangePanel(const TPanelArgs& args, double defaultMin, double defaultMax, double lowerBound,
                double upperBound);

    TPanelKind Kind() const override { return pkRange; }
    void EnableControls(TFilterUsage usage) override;

    // Out-of-bounds values become the nearer bound.
    double Minimum() const;
    double Maximum() const;
    void SetMinimum(double value);
    void SetMaximum(double value);

    TNumEdit* MinEdit() const { return FMinEdit; }
    TNumEdit* MaxEdit() const { return FMaxEdit; }

private:
    TNumEdit* FMinEdit;
    TNumEdit* FMaxEdit;
};
