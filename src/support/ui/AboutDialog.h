#pragma once
// Holds the texts of the about box and shows it, either as the splash window
// during start-up or as the modal box of the About button.
#include <QPointer>
#include <QString>

#include "support/ui/AboutBox.h"
class QWidget;

class TAboutDialog {
public:
    TAboutDialog();
    ~TAboutDialog();
    TAboutDialog(const TAboutDialog&) = delete;
    TAboutDialog& operator=(const TAboutDialog&) = delete;

    QString Company;
    QString ProductName; // empty: the application title
    QString Version;
    QString Copyright;
    QString URL;

    // A new box filled from the properties; the caller owns it.
    TAboutBox* CreateBox(QWidget* parent = nullptr);

    // The box without title bar, frame or OK button, shown and painted once.
    void ShowSplash();
    void HideSplash();
    TAboutBox* SplashWindow() const { return FSplash; }

    // Shows the box modally; true when it was closed with OK.
    bool Execute(QWidget* parent = nullptr);

private:
    QPointer<TAboutBox> FSplash;
};

// The texts this application shows.
void SetUpQuillbrookAbout(TAboutDialog& about);
