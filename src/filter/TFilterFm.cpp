#include "filter/TFilterFm.h"

#include "filter/FieldCatalogue.h"
#include "filter/TChoicePanel.h"
#include "filter/TChoicePanelManualList.h"
#include "filter/TDateRangePanel.h"
#include "filter/TFilterValuePanel.h"
#include "filter/TGridSplitter.h"
#include "filter/TRangePanel.h"
#include "filter/TRelativePanel.h"
#include "filter/TWaitCursor.h"
#include "grid/TStringGridEx.h"
#include "support/Require.h"
#include "support/TranslateText.h"
#include "support/Win1252.h"
#include "support/ui/ApplicationException.h"
#include "support/ui/Dialogs.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int PanelRole = Qt::UserRole;
constexpr int ImageRole = Qt::UserRole + 1;

QString Ansi(const std::string& text) {
    return qb::FromAnsi(text);
}

TStockInfoURLLookup& StockInfoURLLookup() {
    static TStockInfoURLLookup lookup;
    return lookup;
}

} // namespace

TFilterFm::TFilterFm(QWidget* mainForm, const QStringList& siteNames)
    : QObject(nullptr), FMainForm(mainForm), FSiteNames(siteNames) {
    FMainPanel = new QWidget;
    FMainPanel->setAutoFillBackground(true);
    QPalette palette = FMainPanel->palette();
    palette.setColor(QPalette::Window, QColor(231, 231, 231));
    FMainPanel->setPalette(palette);
    auto* layout = new QVBoxLayout(FMainPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    FFilterPanel = new QWidget(FMainPanel);
    FFilterPanel->setFixedHeight(FilterPanelHeight);
    auto* filterLayout = new QVBoxLayout(FFilterPanel);
    filterLayout->setContentsMargins(0, 0, 0, 0);
    FFieldPanel = new QWidget(FFilterPanel);
    filterLayout->addWidget(FFieldPanel);
    FFieldPanel->installEventFilter(this);

    FTreeView = new QTreeWidget(FFieldPanel);
    FTreeView->setHeaderHidden(true);
    FTreeView->setColumnCount(1);
    FTreeView->setIndentation(19);
    FTreeView->setRootIsDecorated(false);
    FTreeView->setExpandsOnDoubleClick(true);
    FTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTreeView->setIconSize(QSize(16, 16));
    FTreeView->setMouseTracking(true);
    FTreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    // Long captions scroll sideways instead of being cut short.
    FTreeView->setTextElideMode(Qt::ElideNone);
    FTreeView->header()->setStretchLastSection(false);
    FTreeView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The selection stays visible when the tree loses the focus.
    QPalette treePalette = FTreeView->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        treePalette.setColor(QPalette::Inactive, role, treePalette.color(QPalette::Active, role));
    FTreeView->setPalette(treePalette);
    FTreeViewport = FTreeView->viewport();
    FTreeViewport->installEventFilter(this);
    connect(FTreeView, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { TreeViewChange(current); });

    FGridSplitter = new TGridSplitter(FFilterPanel, FilterPanelMinHeight, FMainPanel);

    FResultsGrid = new TStringGridEx(FMainPanel);
    FResultsGrid->SetDefaultRowHeight(20);
    FResultsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    FResultsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    FResultsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FResultsGrid->setShowGrid(true);
    FResultsGrid->hide();

    layout->addWidget(FFilterPanel);
    layout->addWidget(FGridSplitter);
    layout->addWidget(FResultsGrid, 1);
    // Takes the space under the splitter while the grid is hidden.
    layout->addStretch(0);

    BuildResultsMenu();
    connect(FMainPanel.data(), &QObject::destroyed, this, [this] {
        FPanels.clear();
        FFrontPanel = nullptr;
        FLastHintNode = nullptr;
    });
}

TFilterFm::~TFilterFm() {
    FDestroying = true;
    // The main window may have destroyed the panel already.
    if (FMainPanel) {
        disconnect(FTreeView, nullptr, this, nullptr);
        delete FMainPanel.data();
    }
}

void TFilterFm::BuildResultsMenu() {
    FResultsMenu = new QMenu(FResultsGrid);
    for (int i = 0; i < FSiteNames.size(); ++i) {
        QAction* action = FResultsMenu->addAction(TranslateText(QStringLiteral("View on")) + u' ' +
                                                  FSiteNames[i]);
        action->setData(i);
        connect(action, &QAction::triggered, this,
                qb::Guarded([this, action] { ViewOnSiteClick(action); }));
    }
    FResultsMenu->addSeparator();
    connect(FResultsMenu->addAction(TranslateText(QStringLiteral("Export to Excel"))),
            &QAction::triggered, this, qb::Guarded([this] { ExportToExcelClick(); }));
    connect(FResultsMenu->addAction(TranslateText(QStringLiteral("Export to CVS Text"))),
            &QAction::triggered, this, qb::Guarded([this] { ExportToTextClick(); }));
    FResultsGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FResultsGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        FResultsMenu->popup(FResultsGrid->viewport()->mapToGlobal(pos));
    });
}

void TFilterFm::SetStockInfoURLLookup(TStockInfoURLLookup lookup) {
    StockInfoURLLookup() = std::move(lookup);
}

void TFilterFm::ViewOnSiteClick(QAction* item) {
    const int row = FResultsGrid->SelectedRow();
    if (row < 0)
        return;
    const int site = item->data().toInt();
    if (site < 0 || site >= FSiteNames.size())
        return;
    ViewStockInfoOnDefaultBrowser(FSiteNames[site], row);
}

void TFilterFm::ViewStockInfoOnDefaultBrowser(const QString& siteName, int row) {
    QString country, symbol, exchange;
    for (int col = 0; col < FResultsGrid->ColCount(); ++col) {
        const QString header = FResultsGrid->Cells(col, 0);
        if (header.compare(QLatin1String("Country"), Qt::CaseInsensitive) == 0)
            country = FResultsGrid->Cells(col, row);
        else if (header.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0)
            symbol = FResultsGrid->Cells(col, row);
        else if (header.compare(QLatin1String("Exchange"), Qt::CaseInsensitive) == 0)
            exchange = FResultsGrid->Cells(col, row);
        if (!country.isEmpty() && !symbol.isEmpty() && !exchange.isEmpty())
            break;
    }
    Forbid(country.isEmpty() || symbol.isEmpty() || exchange.isEmpty(),
           "Internal error in ViewStockInfoOnDefaultBrowser\r"
           "Result must have Country and Symbol and Exchange");
    if (!StockInfoURLLookup())
        return;
    const std::string address = StockInfoURLLookup()(qb::ToAnsi(country), qb::ToAnsi(symbol),
                                                     qb::ToAnsi(exchange), qb::ToAnsi(siteName));
    if (address.empty())
        return;
    // The address comes from the service: hand only web addresses to the
    // shell, which would run any other registered handler as well.
    const QUrl url(Ansi(address));
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        throw Exception(TranslateText("The information address is not a web address: ") + address);
    QDesktopServices::openUrl(url);
}

bool TFilterFm::AskExportFileName(const QString& title, const QString& filter,
                                  const QString& defaultExt, QString& fileName) {
    TFileDialogOptions options;
    options.Title = title;
    options.Filter = filter;
    options.DefaultExt = defaultExt.startsWith(u'.') ? defaultExt.mid(1) : defaultExt;
    const QString chosen = Dialogs().SaveFileName(options);
    if (chosen.isEmpty())
        return false;
    if (QFileInfo::exists(chosen)) {
        QString question = TranslateText(QStringLiteral("File <%s> already exists"));
        question.replace(QLatin1String("%s"), QFileInfo(chosen).fileName());
        question += QStringLiteral(".\r") + TranslateText(QStringLiteral("Overwrite")) +
                    QStringLiteral(" ?");
        if (!AskOverwrite(question))
            return false;
    }
    fileName = chosen;
    return true;
}

void TFilterFm::ExportToExcelClick() {
    QString fileName;
    if (!AskExportFileName(TranslateText(QStringLiteral("Export to Excel")),
                           TranslateText(QStringLiteral("Excel files|*.xls")),
                           QStringLiteral(".xls"), fileName))
        return;
    TWaitCursor wait;
    FResultsGrid->SaveAsExcel(fileName);
}

void TFilterFm::ExportToTextClick() {
    QString fileName;
    if (!AskExportFileName(TranslateText(QStringLiteral("Export to CVS Text")),
                           TranslateText(QStringLiteral("CSV text files|*.csv")),
                           QStringLiteral(".csv"), fileName))
        return;
    TWaitCursor wait;
    FResultsGrid->SaveToCsv(fileName, ',', '"');
}

void TFilterFm::BuildFieldTree() {
    const auto& categories = TFieldCatalogue::Categories();
    const std::vector<TFieldDef> fields = TFieldCatalogue::ForEditor();
    std::vector<QTreeWidgetItem*> categoryNodes;
    for (const TFieldCategory& category : categories) {
        auto* node = new QTreeWidgetItem(FTreeView, {TranslateText(Ansi(category.Name))});
        node->setData(0, ImageRole, category.IconNumber);
        node->setIcon(0, TreeImage(category.IconNumber));
        categoryNodes.push_back(node);
    }
    for (const TFieldDef& field : fields) {
        QTreeWidgetItem* parent = categoryNodes.at(field.Category);
        const int icon = categories.at(field.Category).IconNumber;
        auto* node = new QTreeWidgetItem(parent, {TranslateText(Ansi(field.Caption))});
        node->setData(0, ImageRole, icon);
        node->setIcon(0, TreeImage(icon));

        TPanelArgs args;
        args.Parent = FFieldPanel;
        args.FilterFm = this;
        args.ColumnName = field.ColumnName;
        args.Caption = TranslateText(Ansi(field.Caption));
        args.Description = TranslateText(Ansi(field.Description));
        args.OnChange = [this](QObject* sender) { FieldChange(sender); };
        args.Node = node;

        TFilterValuePanel* panel = nullptr;
        switch (field.Kind) {
        case pkRange:
            panel = new TRangePanel(args, field.LowerBound, field.UpperBound, field.LowerBound,
                                    field.UpperBound);
            break;
        case pkDateRange:
            panel = new TDateRangePanel(args, field.LowerDate, field.UpperDate, field.LowerDate,
                                        field.UpperDate);
            break;
        case pkRelative:
            panel =
                new TRelativePanel(args, TranslateText(Ansi(field.RelativeCaption)),
                                   field.DefaultPercentage, field.HigherThan, field.RelativeColumn);
            break;
        case pkChoice:
            panel = new TChoicePanel(args, field.ChoiceValues);
            break;
        case pkManualList:
            panel = new TChoicePanelManualList(args, {});
            break;
        }
        node->setData(0, PanelRole, QVariant::fromValue(static_cast<void*>(panel)));
        FPanels.push_back(panel);
    }
    for (QTreeWidgetItem* category : categoryNodes) {
        SetNodeActive(category, false);
        for (int i = 0; i < category->childCount(); ++i)
            SetNodeActive(category->child(i), false);
    }
    LayoutFieldPanel();
}

void TFilterFm::LayoutFieldPanel() {
    const int width = FFieldPanel->width();
    const int height = FFieldPanel->height();
    FTreeView->setGeometry(0, 0, TreeWidth, height);
    for (TFilterValuePanel* panel : FPanels)
        panel->setGeometry(TreeWidth, 0, std::max(0, width - TreeWidth), height);
}

void TFilterFm::FieldChange(QObject*) {
    if (!FDestroying)
        FModified = true;
}

std::string TFilterFm::ColumnCaption(std::string_view columnName) const {
    const QString name = qb::FromAnsi(columnName);
    if (name.isEmpty())
        return {};
    if (name.compare(QLatin1String("CompanyName"), Qt::CaseInsensitive) == 0)
        return "Company Name";
    if (const TFilterValuePanel* panel = FindPanel(columnName))
        return qb::ToAnsi(panel->GetCaption());
    QString caption = name.toLower();
    caption[0] = caption[0].toUpper();
    return qb::ToAnsi(caption);
}

TFilterValuePanel* TFilterFm::FindPanel(std::string_view columnName) const {
    const QString name = qb::FromAnsi(columnName);
    for (TFilterValuePanel* panel : FPanels)
        if (Ansi(panel->ColumnName()).compare(name, Qt::CaseInsensitive) == 0)
            return panel;
    return nullptr;
}

QTreeWidgetItem* TFilterFm::FindNode(std::string_view columnName) const {
    TFilterValuePanel* panel = FindPanel(columnName);
    return panel ? panel->Node() : nullptr;
}

TFilterValuePanel* TFilterFm::NodePanel(const QTreeWidgetItem* node) {
    if (!node)
        return nullptr;
    return static_cast<TFilterValuePanel*>(node->data(0, PanelRole).value<void*>());
}

bool TFilterFm::IsNodeUsed(const QTreeWidgetItem* node) {
    const TFilterValuePanel* panel = NodePanel(node);
    return panel && panel->GetUsage() != fuNotUsed;
}

bool TFilterFm::AnyChildUsed(const QTreeWidgetItem* node) {
    if (!node)
        return false;
    for (int i = 0; i < node->childCount(); ++i)
        if (IsNodeUsed(node->child(i)))
            return true;
    return false;
}

int TFilterFm::NodeImageIndex(const QTreeWidgetItem* node) {
    return node ? node->data(0, ImageRole).toInt() : -1;
}

void TFilterFm::SetNodeActive(QTreeWidgetItem* node, bool active) {
    if (!node)
        return;
    int index = NodeImageIndex(node);
    if (active && index >= IconCount)
        index -= IconCount;
    else if (!active && index < IconCount)
        index += IconCount;
    node->setData(0, ImageRole, index);
    node->setIcon(0, TreeImage(index));
}

QIcon TFilterFm::TreeImage(int index) {
    static const auto images = [] {
        Q_INIT_RESOURCE(filter_images);
        std::vector<QIcon> icons;
        for (int i = 0; i < 2 * IconCount; ++i)
            icons.emplace_back(
                QStringLiteral(":/filter/tree%1.png").arg(i, 2, 10, QLatin1Char('0')));
        return icons;
    }();
    return index >= 0 && index < static_cast<int>(images.size()) ? images[index] : QIcon();
}

void TFilterFm::TreeViewChange(QTreeWidgetItem* node) {
    TFilterValuePanel* panel = NodePanel(node);
    if (!panel)
        return;
    panel->show();
    panel->raise();
    FFrontPanel = panel;
}

void TFilterFm::TreeViewMouseMove(const QPoint& pos) {
    QTreeWidgetItem* node = FTreeView->itemAt(pos);
    if (!node || NodePanel(node) || node->isExpanded()) {
        QToolTip::hideText();
        FTreeView->setToolTip(QString());
        FLastHintNode = nullptr;
        return;
    }
    if (node == FLastHintNode)
        return;
    FLastHintNode = node;
    QToolTip::hideText();
    QString hint = TranslateText(QStringLiteral("Double click to open %s section"));
    FTreeView->setToolTip(hint.replace(QLatin1String("%s"), node->text(0).toLower()));
}

bool TFilterFm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FFieldPanel && event->type() == QEvent::Resize) {
        LayoutFieldPanel();
    } else if (watched && watched == FTreeViewport) {
        if (event->type() == QEvent::MouseMove) {
            TreeViewMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
        } else if (event->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(event);
            if (FTreeView->toolTip().isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), FTreeView->toolTip(), FTreeView->viewport());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
