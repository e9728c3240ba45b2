#pragma once
// The main window: tool bar, the area of the selected filter tab and the tab
// bar at the bottom.  It owns the site names and the tabs.
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
    std::vector<std::string> SiteNames; // information-site names, empty when unknown
    QWidget* ProgressWindow = nullptr;

    // --- operations ---
    void FormResize();
    QString SettingsFileName() const;
    // "Quillbrook - " and the selected tab's caption; the title alone without tabs.
    void UpdateCaption();
    void UpdateCommandButtons();

    // --- event handlers ---
    void NewBtnClick();
    void OpenBtnClick();
    void SaveBtnClick();
    void SaveAsBtnClick();
    void SearchBtnClick();
    void AboutBtnClick();

    TAboutDialog& About() { return FAbout; }
    TFormStorage& FormStorage() { return *FFormStorage; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    QToolButton* CreateSpeedButton(const char* name, const QString& iconPath, int left, int width);
    void SetUpSearchDatePicker();
    void SetCaptions();
    void ReadServerSettings();
    // Start-up fetch of the information-site names from the stock service.
    void FetchSiteNames();
    // The first tab: the filter file named by the first argument, else a new filter.
    void OpenFirstTab(const QStringList& arguments);

    TAboutDialog FAbout;
    std::unique_ptr<TFormStorage> FFormStorage;
    bool FPlacementSaved = false;
};
