#pragma once
#include "filter/TChoicePanel.h"

class QKeyEvent;
class QMenu;
class QAction;

// A list of symbols typed by the user ("us:MSFT"), edited through the
// popup menu or the Insert and Delete keys while the list is enabled.
class TChoicePanelManualList : public TChoicePanel {
    Q_OBJECT
public:
    TChoicePanelManualList(const TPanelArgs& args, const std::vector<std::string>& items);

    TPanelKind Kind() const override { return pkManualList; }

    void SetupManualList(const QString& description);
    // Insert adds, Delete removes; true when the key was handled.
    bool ListKeyDown(QKeyEvent* event);
    // Asks for a symbol ("Enter Value"), checks it and appends it upper-cased;
    // a duplicate is ignored without a message.  Does nothing while the list
    // is disabled.
    void AddItemClick();
    // Removes the focused item only.  Does nothing while the list is disabled.
    void RemoveItemClick();
    // For the file reader: appends the text as it is, without checks.
    void AppendItem(const std::string& text);

    QMenu* PopupMenu() const { return FPopupMenu; }

    // Country, colon, symbol: exactly two words when runs of ":" separate
    // words and empty words at either end are not counted.  Not trimmed.
    static bool IsValidSymbol(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ListEditable() const;
    void UpdateColumnWidth();
    // Widens the column so that rows first..last fit.
    void WidenColumnFor(int first, int last);

    QMenu* FPopupMenu;
    QAction* FAddAction;
    QAction* FRemoveAction;
};
