#include "filter/TChoicePanelManualList.h"

#include "filter/TFilterFm.h"
#include "support/TranslateText.h"
#include "support/Win1252.h"
#include "support/ui/ApplicationException.h"
#include "support/ui/Dialogs.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>

#include <algorithm>

namespace {

constexpr int ListColumns = 4;

// Upper case character by character, so that the text keeps its length.
QString UpperCase(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        c = c.toUpper();
    return result;
}

} // namespace

TChoicePanelManualList::TChoicePanelManualList(const TPanelArgs& args,
                                               const std::vector<std::string>& items)
    : TChoicePanel(args, items) {
    SetupManualList(args.Description);
}

void TChoicePanelManualList::SetupManualList(const QString& description) {
    SetDescription(
        TranslateText(QStringLiteral("Right-click in the list below to add or remove items")) +
        QStringLiteral(".\r\r") + description);

    FPopupMenu = new QMenu(this);
    FAddAction = FPopupMenu->addAction(TranslateText(QStringLiteral("Add")));
    FRemoveAction = FPopupMenu->addAction(TranslateText(QStringLiteral("Remove")));
    connect(FAddAction, &QAction::triggered, this, qb::Guarded([this] { AddItemClick(); }));
    connect(FRemoveAction, &QAction::triggered, this, qb::Guarded([this] { RemoveItemClick(); }));

    QListWidget* list = ItemList();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (ListEditable())
            FPopupMenu->popup(ItemList()->viewport()->mapToGlobal(pos));
    });

    // Items run down the list and wrap into four columns side by side.
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    UpdateColumnWidth();
    // Only the new rows are measured: a filter file with thousands of symbols
    // would otherwise measure the whole list once per symbol.
    connect(list->model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { WidenColumnFor(first, last); });
    list->installEventFilter(this);
}

bool TChoicePanelManualList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ItemList() && event->type() == QEvent::KeyPress)
        return ListKeyDown(static_cast<QKeyEvent*>(event));
    return TChoicePanel::eventFilter(watched, event);
}

bool TChoicePanelManualList::ListKeyDown(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Insert:
        AddItemClick();
        return true;
    case Qt::Key_Delete:
        RemoveItemClick();
        return true;
    default:
        return false;
    }
}

// A quarter of the list, widened when an item would not fit.
void TChoicePanelManualList::UpdateColumnWidth() {
    QListWidget* list = ItemList();
    int width = (list->width() - 2 * list->frameWidth()) / ListColumns;
    for (int i = 0; i < list->count(); ++i)
        width = std::max(width, list->fontMetrics().horizontalAdvance(list->item(i)->text()) + 8);
    list->setGridSize(QSize(width, list->fontMetrics().height() + 2));
}

void TChoicePanelManualList::WidenColumnFor(int first, int last) {
    QListWidget* list = ItemList();
    int width = list->gridSize().width();
    for (int i = first; i <= last && i < list->count(); ++i)
        width = std::max(width, list->fontMetrics().horizontalAdvance(list->item(i)->text()) + 8);
    if (width != list->gridSize().width())
        list->setGridSize(QSize(width, list->gridSize().height()));
}

bool TChoicePanelManualList::ListEditable() const {
    return ItemList()->isEnabled();
}

bool TChoicePanelManualList::IsValidSymbol(const QString& text) {
    // A line break or other control character would break the line
    // structure of the filter file the item is saved to.
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return text.contains(QLatin1Char(':')) &&
           text.split(QLatin1Char(':'), Qt::SkipEmptyParts).size() == 2;
}

void TChoicePanelManualList::AddItemClick() {
    if (!ListEditable())
        return;
    QString value;
    if (!Dialogs().InputQuery(GetCaption(), TranslateText(QStringLiteral("Enter Value")), value))
        return;
    if (!IsValidSymbol(value)) {
        ShowInformationBox(QStringLiteral("Symbol must be specified as Country:Symbol\r"
                                          "For example, us:MSFT."));
        return;
    }
    if (IndexOfItem(value) >= 0)
        return;
    ItemList()->addItem(UpperCase(value));
    ItemList()->setFocus();
    if (FilterFm())
        FilterFm()->SetModified(true);
}

void TChoicePanelManualList::RemoveItemClick() {
    if (!ListEditable())
        return;
    const int row = ItemList()->currentRow();
    if (row < 0)
        return;
    delete ItemList()->takeItem(row);
    if (FilterFm())
        FilterFm()->SetModified(true);
}

void TChoicePanelManualList::AppendItem(const std::string& text) {
    ItemList()->addItem(qb::FromAnsi(text));
}
