#pragma once
#include "filter/TFilterValuePanel.h"

#include <string>
#include <vector>

class QListWidget;

// A fixed list of values of which any set can be selected.
class TChoicePanel : public TFilterValuePanel {
    Q_OBJECT
public:
    TChoicePanel(const TPanelArgs& args, const std::vector<std::string>& items);

    TPanelKind Kind() const override { return pkChoice; }
    void EnableControls(TFilterUsage usage) override;
    void PanelResize(QObject* sender) override;

    QListWidget* ItemList() const { return FItemList; }

    // The list's texts (Windows-1252), in list order.
    int ItemCount() const;
    std::string Item(int index) const;
    std::vector<std::string> Items() const;
    bool IsSelected(int index) const;
    void SetSelected(int index, bool selected);
    // The selected texts in list order.
    std::vector<std::string> SelectedItems() const;
    // Selects the first item equal to `text` without regard to case; false
    // when there is none.
    bool SelectItem(const std::string& text);
    // Index of the first item equal to `text` without regard to case, or -1.
    int IndexOfItem(const QString& text) const;

protected:
    // Holds back the change notification while the list is set up.
    bool FSettingUp = false;

private:
    QListWidget* FItemList;
};
