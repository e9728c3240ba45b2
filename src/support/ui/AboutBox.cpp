#include "support/ui/AboutBox.h"

#include "support/Exception.h"
#include "support/TranslateText.h"
#include "support/Win1252.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

constexpr int BoxWidth = 342;
constexpr int BoxHeight = 253;
// The splash ends above the OK button's row.
constexpr int SplashHeight = 210;

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, int width = 252,
                  int height = 16) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(left, top, width, height);
    label->setTextFormat(Qt::PlainText);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

QLabel* MakeProductLayer(QWidget* parent, const char* name, int left, int top, bool bold,
                         const QColor& color) {
    QLabel* label = MakeLabel(parent, name, left, top, 238, 36);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(29);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(TranslateText(QStringLiteral("About")));
    setFixedSize(BoxWidth, BoxHeight);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Company = MakeLabel(this, "Company", 82, 14, 250, 18);
    QFont companyFont = Company->font();
    companyFont.setPixelSize(13);
    Company->setFont(companyFont);

    // Three layers give the product name its engraved look: a white and a grey
    // shadow, offset by a pixel each way, under the dark grey face.
    ProductName1 = MakeProductLayer(this, "ProductName1", 81, 35, true, Qt::white);
    ProductName3 = MakeProductLayer(this, "ProductName3", 83, 37, true, QColor(160, 160, 160));
    ProductName2 = MakeProductLayer(this, "ProductName2", 82, 36, false, QColor(85, 85, 85));

    Version = MakeLabel(this, "Version", 82, 68);
    Copyright = MakeLabel(this, "Copyright", 82, 86);
    URL = MakeLabel(this, "URL", 82, 109);
    QPalette urlPalette = URL->palette();
    urlPalette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    URL->setPalette(urlPalette);
    QFont urlFont = URL->font();
    urlFont.setUnderline(true);
    URL->setFont(urlFont);
    URL->setCursor(Qt::PointingHandCursor);
    URL->installEventFilter(this);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(82, 158, 251, 2);

    OS = MakeLabel(this, "OS", 82, 175);
    UserLbl = MakeLabel(this, "UserLbl", 83, 194);

    ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(24, 34, 32, 32);
    ProgramIcon->setAlignment(Qt::AlignCenter);
    ProgramIcon->setPixmap(QApplication::windowIcon().pixmap(32, 32));

    OKButton = new QPushButton(TranslateText(QStringLiteral("OK")), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(259, 216, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TAboutBox::FormCreate() {
    OS->setText(QSysInfo::prettyProductName());
    UserLbl->setText(LoggedInUserName());
}

QString TAboutBox::LoggedInUserName() {
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
#ifdef Q_OS_UNIX
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
#endif
    return {};
}

void TAboutBox::SetProductName(const QString& name) {
    for (QLabel* layer : {ProductName1, ProductName3, ProductName2})
        layer->setText(name);
}

void TAboutBox::SetURL(const QString& url) {
    FURL = url;
    URL->setText(url);
    URL->adjustSize();
}

void TAboutBox::URLClick() {
    if (FURL.isEmpty())
        return;
    if (!QDesktopServices::openUrl(QUrl::fromUserInput(FURL)))
        throw Exception(TranslateText("Couldn't launch default browser"));
}

void TAboutBox::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (FSplash) {
        // Without a window frame the splash needs an edge of its own.
        QPainter painter(this);
        painter.setPen(QColor(0x8A, 0x9A, 0x8A));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == URL && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        URLClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::MakeSplash() {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QString());
    OKButton->hide();
    setFixedSize(BoxWidth, SplashHeight);
    FSplash = true;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
