#include "filter/TChoicePanel.h"

#include "support/TranslateText.h"
#include "support/Win1252.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>

#include <algorithm>

namespace {

constexpr int LeftColumnWidth = 248;

} // namespace

TChoicePanel::TChoicePanel(const TPanelArgs& args, const std::vector<std::string>& items)
    : TFilterValuePanel(args, LeftColumnWidth) {
    FSettingUp = true;
    QLabel* title = TitleLabel();
    title->setWordWrap(true);
    title->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    title->setGeometry(6, 8, LeftColumnWidth - 9, 50);
    UsageGroup()->setGeometry(6, 42, 230, 75);

    FItemList = new QListWidget(LeftColumn());
    FItemList->setGeometry(6, 122, 230, 82);
    FItemList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FItemList->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (const std::string& item : items)
        FItemList->addItem(qb::FromAnsi(item));

    SetDescription(TranslateText(QStringLiteral("Use Ctrl-Left click to select multiple items")) +
                   QStringLiteral(".\r\r") + args.Description);
    connect(FItemList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!FSettingUp)
            NotifyChange(FItemList);
    });
    FSettingUp = false;
    TChoicePanel::EnableControls(fuNotUsed);
}

void TChoicePanel::EnableControls(TFilterUsage usage) {
    TFilterValuePanel::EnableControls(usage);
    FItemList->setEnabled(usage == fuUseFilter);
}

void TChoicePanel::PanelResize(QObject*) {
    FItemList->resize(FItemList->width(), std::max(0, height() - 125));
}

int TChoicePanel::ItemCount() const {
    return FItemList->count();
}

std::string TChoicePanel::Item(int index) const {
    return qb::ToAnsi(FItemList->item(index)->text());
}

std::vector<std::string> TChoicePanel::Items() const {
    std::vector<std::string> result;
    for (int i = 0; i < FItemList->count(); ++i)
        result.push_back(Item(i));
    return result;
}

bool TChoicePanel::IsSelected(int index) const {
    return FItemList->item(index)->isSelected();
}

void TChoicePanel::SetSelected(int index, bool selected) {
    FItemList->item(index)->setSelected(selected);
}

std::vector<std::string> TChoicePanel::SelectedItems() const {
    std::vector<std::string> result;
    for (int i = 0; i < FItemList->count(); ++i)
        if (IsSelected(i))
            result.push_back(Item(i));
    return result;
}

int TChoicePanel::IndexOfItem(const QString& text) const {
    for (int i = 0; i < FItemList->count(); ++i)
        if (FItemList->item(i)->text().compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool TChoicePanel::SelectItem(const std::string& text) {
    const int index = IndexOfItem(qb::FromAnsi(text));
    if (index < 0)
        return false;
    SetSelected(index, true);
    return true;
}
