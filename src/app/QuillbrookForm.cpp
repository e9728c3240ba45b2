#include "app/QuillbrookForm.h"

#include "app/GradientBar.h"
#include "app/ProgressWindow.h"
#include "app/QuillbrookApplication.h"
#include "app/SearchRequest.h"
#include "app/ServerSettings.h"
#include "app/ShellRegistration.h"
#include "app/StockService.h"
#include "filter/TFilterFm.h"
#include "support/AppEnvironment.h"
#include "support/Exception.h"
#include "support/TranslateText.h"
#include "support/Win1252.h"
#include "support/ui/ApplicationException.h"
#include "support/ui/Dialogs.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int SpeedBarHeight = 58;
constexpr int AboutBtnMargin = 4; // as far from the right edge as NewBtn from the left

const char* const SpeedButtonStyle =
    "QToolButton { border: 1px solid transparent; border-radius: 3px; background: transparent;"
    "  padding: 0px; }"
    "QToolButton:hover { border-color: #6DB86B; background: rgba(255, 255, 255, 90); }"
    "QToolButton:pressed { border-color: #4E9A4C; background: rgba(150, 210, 140, 110); }"
    "QToolButton:disabled { color: #8C978A; }";

} // namespace

TQuillbrookForm::TQuillbrookForm(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent) {
    InitQuillbrookResources();
    // 1. The window from its layout.
    CreateControls();
    // 2. The trade date of searches.
    SetUpSearchDatePicker();
    // 3. Errors escaping event handlers end in ApplicationException: the
    // application object catches them, and the slots here are guarded.
    // 4. Title; the tab bar leaves closed tabs to us and keeps its order.
    QApplication::setApplicationName(QString::fromLatin1(QuillbrookTitle));
    TabBar->setMovable(false);
    // 5. Captions.
    SetCaptions();
    // 6. The placement storage on the settings file.
    FFormStorage =
        std::make_unique<TFormStorage>(SettingsFileName(), QStringLiteral("QuillbrookForm"));
    // A missing settings file is a first start; one that cannot be read is
    // reported here, once, and the program runs on its defaults.
    qb::RunGuarded([this] { FFormStorage->RestorePlacement(*this); });
    // 7. The stock service's address.
    ReadServerSettings();
    // 8. The information-site names.
    FetchSiteNames();
    // 9. The filter file type.
    qb::RegisterFileType();
    // 10. One tab.
    OpenFirstTab(arguments);
    UpdateCommandButtons();
    UpdateCaption();
}

TQuillbrookForm::~TQuillbrookForm() {
    // The documents' editors live in TabArea: free them while it exists.
    const QSignalBlocker blocker(TabBar);
    FTabs.clear();
}

void TQuillbrookForm::CreateControls() {
    setObjectName(QStringLiteral("QuillbrookForm"));
    setMinimumSize(600, 400);
    QFont font = QApplication::font();
    // Tahoma where installed, else a sans serif of similar width.
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("DejaVu Sans")});
    // 11 pixels high on a 96 dpi screen; given in points so that windows
    // deriving their fonts from this one can scale it.
    font.setPointSizeF(8.25);
    setFont(font);
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillbrook/images/quillbrook64.png")));
    setWindowIcon(QApplication::windowIcon());

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralArea"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    SpeedBar = new TGradientBar(central);
    SpeedBar->setObjectName(QStringLiteral("SpeedBar"));
    SpeedBar->setFixedHeight(SpeedBarHeight);
    SpeedBar->setStyleSheet(QString::fromLatin1(SpeedButtonStyle));
    layout->addWidget(SpeedBar);

    NewBtn = CreateSpeedButton("NewBtn", QStringLiteral("new"), 4, 52);
    OpenBtn = CreateSpeedButton("OpenBtn", QStringLiteral("open"), 56, 52);
    SaveBtn = CreateSpeedButton("SaveBtn", QStringLiteral("save"), 108, 52);
    SaveAsBtn = CreateSpeedButton("SaveAsBtn", QStringLiteral("saveas"), 160, 52);
    SearchBtn = CreateSpeedButton("SearchBtn", QStringLiteral("search"), 231, 60);
    AboutBtn = CreateSpeedButton("AboutBtn", QStringLiteral("about"), 0, 52);

    SearchDateLbl = new QLabel(SpeedBar);
    SearchDateLbl->setObjectName(QStringLiteral("SearchDateLbl"));
    // Two lines of the label must fit above the picker whatever font stands in.
    SearchDateLbl->setGeometry(297, 2, 144, 30);
    SearchDateLbl->setWordWrap(true);
    SearchDateLbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    SearchDatePicker = new QDateEdit(SpeedBar);
    SearchDatePicker->setObjectName(QStringLiteral("SearchDatePicker"));
    SearchDatePicker->setGeometry(297, 33, 120, 21);
    SearchDatePicker->setCalendarPopup(true);

    TabArea = new QWidget(central);
    TabArea->setObjectName(QStringLiteral("TabArea"));
    auto* tabLayout = new QVBoxLayout(TabArea);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->setSpacing(0);
    layout->addWidget(TabArea, 1);

    TabBar = new QTabBar(central);
    TabBar->setObjectName(QStringLiteral("TabBar"));
    TabBar->setShape(QTabBar::RoundedSouth);
    TabBar->setTabsClosable(true);
    TabBar->setExpanding(false);
    TabBar->setDrawBase(true);
    {
        // The bar keeps its height while no tab is open.
        QTabBar sample;
        sample.setFont(font);
        sample.setShape(QTabBar::RoundedSouth);
        sample.setTabsClosable(true);
        sample.addTab(QStringLiteral("Filter 1"));
        TabBar->setMinimumHeight(sample.sizeHint().height());
    }
    layout->addWidget(TabBar);

    setCentralWidget(central);

    ProgressTimer = new QTimer(this);
    ProgressTimer->setObjectName(QStringLiteral("ProgressTimer"));
    ProgressTimer->setInterval(100);
    connect(ProgressTimer, &QTimer::timeout, this,
            qb::Guarded([this] { ProgressTimerTimer(ProgressWindow); }));
    ReEnableFieldPanelTimer = new QTimer(this);
    ReEnableFieldPanelTimer->setObjectName(QStringLiteral("ReEnableFieldPanelTimer"));
    ReEnableFieldPanelTimer->setInterval(500);

    connect(NewBtn, &QToolButton::clicked, this, qb::Guarded([this] { NewBtnClick(); }));
    connect(OpenBtn, &QToolButton::clicked, this, qb::Guarded([this] { OpenBtnClick(); }));
    connect(SaveBtn, &QToolButton::clicked, this, qb::Guarded([this] { SaveBtnClick(); }));
    connect(SaveAsBtn, &QToolButton::clicked, this, qb::Guarded([this] { SaveAsBtnClick(); }));
    connect(SearchBtn, &QToolButton::clicked, this, qb::Guarded([this] { SearchBtnClick(); }));
    connect(AboutBtn, &QToolButton::clicked, this, qb::Guarded([this] { AboutBtnClick(); }));
    connect(TabBar, &QTabBar::currentChanged, this,
            [this](int index) { qb::RunGuarded([&] { TabBarTabSelected(index); }); });
    connect(TabBar, &QTabBar::tabCloseRequested, this, [this](int index) {
        qb::RunGuarded([&] {
            TabBarTabClosing(index);
            TabBarTabClosed(index);
        });
    });
    connect(ReEnableFieldPanelTimer, &QTimer::timeout, this,
            qb::Guarded([this] { ReEnableFieldPanelTimerTimer(); }));
}

QToolButton* TQuillbrookForm::CreateSpeedButton(const char* name, const QString& iconName, int left,
                                                int width) {
    auto* button = new QToolButton(SpeedBar);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, 2, width, 52);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIconSize(QSize(32, 32));
    button->setIcon(QIcon(":/quillbrook/images/" + iconName + ".png"));
    return button;
}

void TQuillbrookForm::SetUpSearchDatePicker() {
    const QDate today = qb::Today();
    SearchDatePicker->setDateRange(EarliestTradeDate(), today);
    SearchDatePicker->setDate(today);
    SearchDatePicker->calendarWidget()->setCurrentPage(today.year(), today.month());
    // The drop-down is a popup window of its own; its showing and hiding are
    // the picker's drop-down and close-up.
    if (QWidget* popup = SearchDatePicker->calendarWidget()->window(); popup && popup != this)
        popup->installEventFilter(this);
}

bool TQuillbrookForm::eventFilter(QObject* watched, QEvent* event) {
    if (SearchDatePicker && watched == SearchDatePicker->calendarWidget()->window()) {
        if (event->type() == QEvent::Show)
            qb::RunGuarded([this] { SearchDatePickerDropDown(); });
        else if (event->type() == QEvent::Hide)
            qb::RunGuarded([this] { SearchDatePickerCloseUp(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TQuillbrookForm::SetCaptions() {
    NewBtn->setText(TranslateText(QStringLiteral("New")));
    OpenBtn->setText(TranslateText(QStringLiteral("Open")));
    SaveBtn->setText(TranslateText(QStringLiteral("Save")));
    SaveAsBtn->setText(TranslateText(QStringLiteral("Save As")));
    SearchBtn->setText(TranslateText(QStringLiteral("Get QUILLs")));
    SearchDateLbl->setText(
        TranslateText(QStringLiteral("Find stocks based on data at the following date:")));
    AboutBtn->setText(TranslateText(QStringLiteral("About")));
    SetUpQuillbrookAbout(FAbout);
}

QString TQuillbrookForm::SettingsFileName() const {
    return qb::SettingsFilePath();
}

void TQuillbrookForm::ReadServerSettings() {
    const TServerSettings settings = TServerSettings::Load(SettingsFileName());
    ServerHost = settings.ServerHost;
    ServerPort = settings.ServerPort;
    ServerSettingsProblem = settings.Problem;
}

TStockServiceClient TQuillbrookForm::StockService() {
    // The account is read at each use, so a corrected settings file needs no restart.
    TStockServiceClient service = TStockServiceClient::ForWindow(
        this, ServerHost, ServerPort, TAccount::Load(SettingsFileName()));
    service.SettingsProblem = ServerSettingsProblem;
    return service;
}

void TQuillbrookForm::FetchSiteNames() {
    // Failures are not shown here (OpenSession shows its own); no sites then.
    std::optional<std::vector<std::string>> names = StockService().GetStockInfoSites();
    SiteNames = names ? std::move(*names) : std::vector<std::string>{};
    // The editors' "View on" commands ask the service through this window.
    QPointer<TQuillbrookForm> self(this);
    TFilterFm::SetStockInfoURLLookup([self](const std::string& country, const std::string& symbol,
                                            const std::string& exchange,
                                            const std::string& siteName) -> std::string {
        if (!self)
            return {};
        return self->StockService().GetStockInfoURL(country, symbol, exchange, siteName);
    });
}

void TQuillbrookForm::OpenFirstTab(const QStringList& arguments) {
    // A first argument that names no existing file is ignored.  A file that
    // cannot be read is reported and leaves its tab open, as Open does.
    qb::RunGuarded([&] {
        if (!arguments.isEmpty() && QFileInfo(arguments.constFirst()).isFile())
            OpenFilterFile(arguments.constFirst());
        else
            NewBtnClick();
    });
}

void TQuillbrookForm::UpdateCaption() {
    const QString title = QString::fromLatin1(QuillbrookTitle);
    const int current = TabBar->currentIndex();
    setWindowTitle(current >= 0 ? title + " - " + TabBar->tabText(current) : title);
}

void TQuillbrookForm::UpdateCommandButtons() {
    const bool anyTab = TabBar->count() > 0;
    SaveBtn->setEnabled(anyTab);
    SaveAsBtn->setEnabled(anyTab);
    SearchBtn->setEnabled(anyTab);
}

TFilterTab* TQuillbrookForm::SelectedTab() {
    const int current = TabBar->currentIndex();
    return current >= 0 && current < TabCount() ? &Tab(current) : nullptr;
}

int TQuillbrookForm::NextTabNumber() const {
    int number = 1;
    for (const auto& tab : FTabs)
        if (tab->Number >= number)
            number = tab->Number + 1;
    return number;
}

std::unique_ptr<TFilterObject> TQuillbrookForm::CreateDocument() {
    QStringList sites;
    for (const std::string& site : SiteNames)
        sites << qb::FromAnsi(site);
    return std::make_unique<TFilterObject>(this, sites, TabArea);
}

int TQuillbrookForm::AddTab(std::unique_ptr<TFilterObject> document, const QString& caption) {
    const QSignalBlocker blocker(TabBar);
    auto tab = std::make_unique<TFilterTab>();
    tab->Number = NextTabNumber();
    tab->Document = std::move(document);
    FTabs.push_back(std::move(tab));
    const int index = TabBar->addTab(caption.isEmpty() ? TranslateText(QStringLiteral("Filter ")) +
                                                             QString::number(FTabs.back()->Number)
                                                       : caption);
    TabBar->setCurrentIndex(index);
    return index;
}

void TQuillbrookForm::SetTabCaption(int index, const QString& caption) {
    TabBar->setTabText(index, caption);
}

void TQuillbrookForm::NewBtnClick() {
    const int index = AddTab(CreateDocument(), {});
    TabBarTabSelected(index);
    Tab(index).Document->SetModified(false);
    UpdateCaption();
    UpdateCommandButtons();
}

void TQuillbrookForm::OpenBtnClick() {
    TFileDialogOptions options;
    options.Title = TranslateText(QStringLiteral("Open"));
    options.Filter = QStringLiteral("Quillbrook|*.qbk");
    options.DefaultExt = QStringLiteral("qbk");
    options.FileMustExist = true;
    const QString path = Dialogs().OpenFileName(options);
    if (!path.isEmpty())
        OpenFilterFile(path);
}

void TQuillbrookForm::OpenFilterFile(const QString& path) {
    const int index = AddTab(CreateDocument(), QFileInfo(path).completeBaseName());
    TabBarTabSelected(index);
    TFilterObject& document = *Tab(index).Document;
    document.SetModified(false);
    // The tab exists whether or not the file reads: the buttons say so.
    UpdateCommandButtons();
    UpdateCaption();
    document.LoadFromFile(path);
    document.SetFileName(path);
    if (QTreeWidget* tree = document.FilterFm()->TreeView())
        tree->setFocus(Qt::OtherFocusReason);
}

QString TQuillbrookForm::AskSaveFileName() {
    TFileDialogOptions options;
    options.Title = TranslateText(QStringLiteral("Save As"));
    options.Filter = QStringLiteral("Quillbrook|*.qbk");
    options.DefaultExt = QStringLiteral("qbk");
    const QString path = Dialogs().SaveFileName(options);
    if (path.isEmpty())
        return {};
    if (!QFileInfo::exists(path))
        return path;
    const QString question =
        TranslateText(QStringLiteral("File <%1> already exists")).arg(QFileInfo(path).fileName()) +
        ".\r" + TranslateText(QStringLiteral("Overwrite")) + " ?";
    return AskOverwrite(question) ? path : QString();
}

void TQuillbrookForm::SaveTab(int index) {
    TFilterObject& document = *Tab(index).Document;
    if (document.FileName().isEmpty()) {
        const QString path = AskSaveFileName();
        if (path.isEmpty())
            return;
        document.SetFileName(path);
    }
    // Written beside the target and renamed over it: a failed save keeps
    // the previous file.
    document.SaveToFile(document.FileName());
    document.SetModified(false);
}

void TQuillbrookForm::SaveBtnClick() {
    if (TabBar->currentIndex() >= 0)
        SaveTab(TabBar->currentIndex());
}

void TQuillbrookForm::SaveAsBtnClick() {
    const int index = TabBar->currentIndex();
    if (index < 0)
        return;
    const QString path = AskSaveFileName();
    if (path.isEmpty())
        return;
    Tab(index).Document->SetFileName(path);
    SaveTab(index);
    SetTabCaption(index, QFileInfo(path).completeBaseName());
    UpdateCaption();
}

void TQuillbrookForm::TabBarTabSelected(int index) {
    for (const auto& tab : FTabs)
        if (QWidget* panel = tab->Document->GetPanel())
            panel->hide();
    if (index >= 0 && index < TabCount()) {
        if (QWidget* panel = Tab(index).Document->GetPanel())
            panel->show();
        UpdateCaption();
    }
}

QString TQuillbrookForm::ModifiedQuestion(int index) const {
    return TranslateText(QStringLiteral("%1 has been modified since the last save."))
               .arg(TabBar->tabText(index)) +
           "\r\r" + TranslateText(QStringLiteral("Would you like to save the filter ?"));
}

void TQuillbrookForm::TabBarTabClosing(int index) {
    if (index < 0 || index >= TabCount() || !Tab(index).Document->Modified())
        return;
    if (ShowPromptBox(ModifiedQuestion(index), TMsgDlgType::mtConfirmation, mbYes | mbNo, mbYes) ==
        mbYes)
        SaveTab(index);
}

void TQuillbrookForm::TabBarTabClosed(int index) {
    if (index < 0 || index >= TabCount())
        return;
    {
        const QSignalBlocker blocker(TabBar);
        auto tab = std::move(FTabs[static_cast<size_t>(index)]);
        FTabs.erase(FTabs.begin() + index);
        TabBar->removeTab(index);
        tab.reset();
        UpdateCommandButtons();
    }
    TabBarTabSelected(TabBar->currentIndex());
    UpdateCaption();
}

bool TQuillbrookForm::FormCloseQuery() {
    for (int index = 0; index < TabCount(); ++index) {
        if (!Tab(index).Document->Modified())
            continue;
        switch (ShowPromptBox(ModifiedQuestion(index), TMsgDlgType::mtConfirmation,
                              mbYes | mbNo | mbCancel, mbYes)) {
        case mbYes:
            SaveTab(index);
            break;
        case mbCancel:
            return false;
        default:
            break;
        }
    }
    return true;
}

void TQuillbrookForm::SearchDatePickerDropDown() {
    if (TFilterTab* tab = SelectedTab())
        if (QWidget* panel = tab->Document->FilterFm()->FieldPanel())
            panel->setEnabled(false);
}

void TQuillbrookForm::SearchDatePickerCloseUp() {
    ReEnableFieldPanelTimer->start();
}

void TQuillbrookForm::ReEnableFieldPanelTimerTimer() {
    if (TFilterTab* tab = SelectedTab()) {
        if (QWidget* panel = tab->Document->FilterFm()->FieldPanel())
            panel->setEnabled(true);
        ReEnableFieldPanelTimer->stop();
    }
}

void TQuillbrookForm::FormResize() {
    AboutBtn->move(width() - AboutBtn->width() - AboutBtnMargin, AboutBtn->y());
}

void TQuillbrookForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TQuillbrookForm::closeEvent(QCloseEvent* event) {
    // A failed save keeps the window open, so nothing unsaved is lost.
    bool mayClose = false;
    qb::RunGuarded([&] { mayClose = FormCloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    qb::RunGuarded([&] {
        if (!FPlacementSaved) {
            FFormStorage->SavePlacement(*this);
            FPlacementSaved = true;
        }
    });
    QMainWindow::closeEvent(event);
}

void TQuillbrookForm::SearchBtnClick() {
    TFilterTab* tab = SelectedTab();
    if (!tab || !tab->Document || !tab->Document->FilterFm())
        return;
    TFilterFm& editor = *tab->Document->FilterFm();
    const QDate tradeDate = SearchDatePicker->date();
    if (!ValidateFilter(editor, tradeDate))
        return;
    TStockServiceClient service = StockService();
    TSearchProgress progress;
    progress.Show = [this](const QString& text) {
        ShowProgress(ProgressWindow, ProgressTimer, this, text);
    };
    progress.Hide = [this] { HideProgress(ProgressWindow, ProgressTimer); };
    SearchStocks(service, editor, tradeDate, progress);
}

void TQuillbrookForm::AboutBtnClick() {
    FAbout.Execute(this);
}
