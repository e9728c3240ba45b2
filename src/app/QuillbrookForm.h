#pragma once
// The main window: tool bar, the area of the selected filter tab and the tab
// bar at the bottom.  It owns the site names and the tabs.
#include "app/FilterTab.h"
#include "app/FormStorage.h"
#include "support/ui/AboutDialog.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

class QDateEdit;
class QLabel;
class QTabBar;
class QTimer;
class QToolButton;
class TGradientBar;
class TStockServiceClient;

class TQuillbrookForm : public QMainWindow {
    Q_OBJECT
public:
    // `arguments` are the program's arguments after the options (the first
    // one may name a filter file to open).
    explicit TQuillbrookForm(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TQuillbrookForm() override;

    // --- controls ---
    TGradientBar* SpeedBar;
    QToolButton* NewBtn;
    QToolButton* OpenBtn;
    QToolButton* SaveBtn;
    QToolButton* SaveAsBtn;
    QToolButton* SearchBtn;
    QLabel* SearchDateLbl;
    QDateEdit* SearchDatePicker;
    QToolButton* AboutBtn;
    QWidget* TabArea; // the selected tab's editor fills it
    QTabBar* TabBar;
    QTimer* ProgressTimer;           // 100 ms, runs while a search shows its progress
    QTimer* ReEnableFieldPanelTimer; // 500 ms, stopped until the date drop-down closes

    // --- state ---
    std::string ServerHost;
    int ServerPort = 0;
    std::string ServerSettingsProblem;  // see TServerSettings::Problem
    std::vector<std::string> SiteNames; // information-site names, empty when unknown
    QWidget* ProgressWindow = nullptr;

    // --- operations ---
    void FormResize();
    QString SettingsFileName() const;
    // "Quillbrook - " and the selected tab's caption; the title alone without tabs.
    void UpdateCaption();
    void UpdateCommandButtons();

    // --- filter tabs (in TabBar order; tabs cannot be moved) ---
    int TabCount() const { return static_cast<int>(FTabs.size()); }
    TFilterTab& Tab(int index) { return *FTabs.at(static_cast<size_t>(index)); }
    // The selected tab, or none.
    TFilterTab* SelectedTab();
    int NextTabNumber() const;
    // Adds a tab with a new document; throws when the file cannot be opened
    // or read (the tab then stays, holding what was read, without a name).
    void OpenFilterFile(const QString& path);
    // Writes one tab's filter to its file, asking for a name when it has none.
    void SaveTab(int index);
    // The Save As dialog with its own overwrite question; empty when abandoned.
    QString AskSaveFileName();
    // Offers to save modified filters; false when the user cancels.
    bool FormCloseQuery();

    // --- event handlers ---
    void NewBtnClick();
    void OpenBtnClick();
    void SaveBtnClick();
    void SaveAsBtnClick();
    void SearchBtnClick();
    void AboutBtnClick();
    void TabBarTabSelected(int index); // -1: none
    void TabBarTabClosing(int index);
    void TabBarTabClosed(int index);
    void SearchDatePickerDropDown();
    void SearchDatePickerCloseUp();
    void ReEnableFieldPanelTimerTimer();

    TAboutDialog& About() { return FAbout; }
    TFormStorage& FormStorage() { return *FFormStorage; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    QToolButton* CreateSpeedButton(const char* name, const QString& iconPath, int left, int width);
    void SetUpSearchDatePicker();
    void SetCaptions();
    void ReadServerSettings();
    // Start-up fetch of the information-site names from the stock service.
    void FetchSiteNames();
    // The stock service with this window's server, account and hooks.
    TStockServiceClient StockService();
    // The first tab: the filter file named by the first argument, else a new filter.
    void OpenFirstTab(const QStringList& arguments);
    // Adds a tab holding `document` without calling TabBarTabSelected early.
    int AddTab(std::unique_ptr<TFilterObject> document, const QString& caption);
    std::unique_ptr<TFilterObject> CreateDocument();
    void SetTabCaption(int index, const QString& caption);
    void ConnectTabBar();
    void DisconnectTabBar();
    QString ModifiedQuestion(int index) const;

    std::vector<std::unique_ptr<TFilterTab>> FTabs;
    TAboutDialog FAbout;
    std::unique_ptr<TFormStorage> FFormStorage;
    bool FPlacementSaved = false;
};
