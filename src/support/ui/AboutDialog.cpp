#include "support/ui/AboutDialog.h"

#include "support/TranslateText.h"
#include "support/ui/AboutBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <memory>

TAboutDialog::TAboutDialog() = default;

TAboutDialog::~TAboutDialog() {
    HideSplash();
}

TAboutBox* TAboutDialog::CreateBox(QWidget* parent) {
    if (ProductName.isEmpty())
        ProductName = QApplication::applicationName();
    auto* box = new TAboutBox(parent);
    box->Company->setText(Company);
    box->SetProductName(ProductName);
    box->Version->setText(Version);
    box->Copyright->setText(Copyright);
    box->SetURL(URL);
    box->setWindowTitle(TranslateText(QStringLiteral("About ")) + ProductName);
    box->setWindowIcon(QApplication::windowIcon());
    return box;
}

void TAboutDialog::ShowSplash() {
    HideSplash();
    FSplash = CreateBox();
    FSplash->MakeSplash();
    FSplash->show();
    FSplash->repaint();
    QApplication::processEvents();
}

void TAboutDialog::HideSplash() {
    if (FSplash) {
        FSplash->close();
        delete FSplash.data();
    }
}

bool TAboutDialog::Execute(QWidget* parent) {
    std::unique_ptr<TAboutBox> box(CreateBox(parent));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), box->size());
        frame.moveCenter(screen->availableGeometry().center());
        box->move(frame.topLeft());
    }
    return box->exec() == QDialog::Accepted;
}

void SetUpQuillbrookAbout(TAboutDialog& about) {
    about.Company.clear();
    about.ProductName = QStringLiteral("Quillbrook");
    about.Version = QStringLiteral("1.10");
    about.Copyright = QString::fromUtf8("Copyright \u00a9 2006-2026 Quillbrook");
    about.URL = QStringLiteral("https://quillbrook.example.org/");
}
