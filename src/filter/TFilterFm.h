#pragma once
// The editor of one filter: a tree of categories and fields with one
// criterion panel per field above the results grid.  Never a window of its
// own: its MainPanel is placed into the main window and shown per tab.
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class TFilterValuePanel;
class TGridSplitter;
class TStringGridEx;

// Asks the stock service for the information address of a stock:
// (country, symbol, exchange, site name) -> address, empty after a failure
// that has been shown already.  Windows-1252 texts.
using TStockInfoURLLookup =
    std::function<std::string(const std::string& country, const std::string& symbol,
                              const std::string& exchange, const std::string& siteName)>;

class TFilterFm : public QObject {
    Q_OBJECT
public:
    // Number of category icons; icon n + IconCount is the greyed form of n.
    static constexpr int IconCount = 7;
    static constexpr int FilterPanelHeight = 209;
    static constexpr int FilterPanelMinHeight = 40;
    static constexpr int TreeWidth = 240;

    // `siteNames`: the information sites offered by the service, for the
    // results menu.  MainPanel has no parent until the document places it.
    TFilterFm(QWidget* mainForm, const QStringList& siteNames);
    ~TFilterFm() override;

    // Builds the tree and the 46 panels from the catalogue, all greyed, none
    // selected; Modified stays false.
    void BuildFieldTree();

    // The change handler of every panel.
    void FieldChange(QObject* sender);
    bool Modified() const { return FModified; }
    void SetModified(bool modified) { FModified = modified; }

    // The header caption of a result column (Windows-1252 texts).
    std::string ColumnCaption(std::string_view columnName) const;

    // Icon helpers, also used by the panels.
    static bool IsNodeUsed(const QTreeWidgetItem* node);
    static bool AnyChildUsed(const QTreeWidgetItem* node);
    static void SetNodeActive(QTreeWidgetItem* node, bool active);
    // The image number of a node (0 .. 13).
    static int NodeImageIndex(const QTreeWidgetItem* node);
    // The panel a field node carries, or nullptr for a category node.
    static TFilterValuePanel* NodePanel(const QTreeWidgetItem* node);
    // One of the 14 tree icons.
    static QIcon TreeImage(int index);

    // Panels in tree order, and lookup by column name without regard to case.
    const std::vector<TFilterValuePanel*>& Panels() const { return FPanels; }
    TFilterValuePanel* FindPanel(std::string_view columnName) const;
    // The field node of a column name (without regard to case), or nullptr.
    QTreeWidgetItem* FindNode(std::string_view columnName) const;

    // Tree event handlers.
    void TreeViewChange(QTreeWidgetItem* node);
    void TreeViewMouseMove(const QPoint& pos);
    QTreeWidgetItem* LastHintNode() const { return FLastHintNode; }
    // The panel brought to the front last, or nullptr.
    TFilterValuePanel* FrontPanel() const { return FFrontPanel; }

    // Results commands, on the results grid's popup menu.
    void ViewOnSiteClick(QAction* item);
    // Opens the information page of the stock in `row` of the results grid.
    void ViewStockInfoOnDefaultBrowser(const QString& siteName, int row);
    // A save dialog; false when cancelled or when an existing file is not to
    // be replaced.  `defaultExt` with its dot (".xls").
    bool AskExportFileName(const QString& title, const QString& filter, const QString& defaultExt,
                           QString& fileName);
    void ExportToExcelClick();
    void ExportToTextClick();
    // The service call behind "View on"; the application installs it once.
    static void SetStockInfoURLLookup(TStockInfoURLLookup lookup);

    QWidget* MainForm() const { return FMainForm; }
    const QStringList& SiteNames() const { return FSiteNames; }
    QWidget* MainPanel() const { return FMainPanel; }
    QWidget* FilterPanel() const { return FFilterPanel; }
    TGridSplitter* GridSplitter() const { return FGridSplitter; }
    QWidget* FieldPanel() const { return FFieldPanel; }
    QTreeWidget* TreeView() const { return FTreeView; }
    TStringGridEx* ResultsGrid() const { return FResultsGrid; }
    QMenu* ResultsMenu() const { return FResultsMenu; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildResultsMenu();
    void LayoutFieldPanel();

    QWidget* FMainForm;
    QStringList FSiteNames;
    bool FModified = false;
    bool FDestroying = false;
    QPointer<QWidget> FMainPanel;
    QWidget* FFilterPanel = nullptr;
    TGridSplitter* FGridSplitter = nullptr;
    QWidget* FFieldPanel = nullptr;
    QTreeWidget* FTreeView = nullptr;
    // Compared by address only: it may be half destroyed when events come.
    QObject* FTreeViewport = nullptr;
    TStringGridEx* FResultsGrid = nullptr;
    QMenu* FResultsMenu = nullptr;
    std::vector<TFilterValuePanel*> FPanels;
    QTreeWidgetItem* FLastHintNode = nullptr;
    TFilterValuePanel* FFrontPanel = nullptr;
};
