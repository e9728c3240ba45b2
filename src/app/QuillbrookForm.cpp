#include "app/QuillbrookForm.h"

#include "app/GradientBar.h"
#include "app/QuillbrookApplication.h"
#include "app/ServerSettings.h"
#include "app/ShellRegistration.h"
#include "support/AppEnvironment.h"
#include "support/TranslateText.h"
#include "support/ui/ApplicationException.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int SpeedBarHeight = 58;
constexpr int AboutBtnMargin = 4; // as far from the right edge as NewBtn from the left
const QDate EarliestSearchDate(2006, 8, 30);

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
    FFormStorage->RestorePlacement(*this);
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

TQuillbrookForm::~TQuillbrookForm() = default;

void TQuillbrookForm::CreateControls() {
    setObjectName(QStringLiteral("QuillbrookForm"));
    setMinimumSize(600, 400);
    QFont font = QApplication::font();
    // Tahoma where installed, else a sans serif of similar width.
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
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
    ReEnableFieldPanelTimer = new QTimer(this);
    ReEnableFieldPanelTimer->setObjectName(QStringLiteral("ReEnableFieldPanelTimer"));
    ReEnableFieldPanelTimer->setInterval(500);

    connect(NewBtn, &QToolButton::clicked, this, qb::Guarded([this] { NewBtnClick(); }));
    connect(OpenBtn, &QToolButton::clicked, this, qb::Guarded([this] { OpenBtnClick(); }));
    connect(SaveBtn, &QToolButton::clicked, this, qb::Guarded([this] { SaveBtnClick(); }));
    connect(SaveAsBtn, &QToolButton::clicked, this, qb::Guarded([this] { SaveAsBtnClick(); }));
    connect(SearchBtn, &QToolButton::clicked, this, qb::Guarded([this] { SearchBtnClick(); }));
    connect(AboutBtn, &QToolButton::clicked, this, qb::Guarded([this] { AboutBtnClick(); }));
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
    SearchDatePicker->setDateRange(EarliestSearchDate, today);
    SearchDatePicker->setDate(today);
    SearchDatePicker->calendarWidget()->setCurrentPage(today.year(), today.month());
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
}

void TQuillbrookForm::FetchSiteNames() {
    // The stock service session plugs in here; until then no sites are known.
    SiteNames.clear();
}

void TQuillbrookForm::OpenFirstTab(const QStringList& arguments) {
    // The filter tabs plug in here: OpenFilterFile for an existing first
    // argument, NewBtnClick otherwise.
    Q_UNUSED(arguments);
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

void TQuillbrookForm::FormResize() {
    AboutBtn->move(width() - AboutBtn->width() - AboutBtnMargin, AboutBtn->y());
}

void TQuillbrookForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TQuillbrookForm::closeEvent(QCloseEvent* event) {
    qb::RunGuarded([&] {
        if (!FPlacementSaved) {
            FFormStorage->SavePlacement(*this);
            FPlacementSaved = true;
        }
    });
    QMainWindow::closeEvent(event);
}

void TQuillbrookForm::NewBtnClick() {}
void TQuillbrookForm::OpenBtnClick() {}
void TQuillbrookForm::SaveBtnClick() {}
void TQuillbrookForm::SaveAsBtnClick() {}

void TQuillbrookForm::SearchBtnClick() {
    // The search plugs in here.
}

void TQuillbrookForm::AboutBtnClick() {
    FAbout.Execute(this);
}
