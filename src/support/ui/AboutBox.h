#pragma once
// The window of the about box and of the splash.
#include <QDialog>

class QLabel;
class QPushButton;
class QFrame;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Fills OS and UserLbl from the platform.
    void FormCreate();
    // Opens the URL label's address in the default browser; throws
    // Exception("Couldn't launch default browser") when that fails.
    void URLClick();

    // Turns the window into the splash: no title bar, no OK button.
    void MakeSplash();
    bool IsSplash() const { return FSplash; }

    QLabel* Company;
    QLabel* ProductName1; // the three layers of the product name, drawn in this order
    QLabel* ProductName3;
    QLabel* ProductName2;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* URL;
    QFrame* Bevel1;
    QLabel* OS;
    QLabel* UserLbl;
    QLabel* ProgramIcon;
    QPushButton* OKButton;

    void SetProductName(const QString& name);
    void SetURL(const QString& url);
    QString URLText() const { return FURL; }

    // The logged-in user's name, empty when it cannot be found.
    static QString LoggedInUserName();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString FURL;
    bool FSplash = false;
};
