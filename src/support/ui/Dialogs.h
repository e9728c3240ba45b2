#pragma once
// Every dialog the program shows goes through one IDialogs object, so that
// tests can script the answers (see tests/support/ScriptedDialogs.h).
// The real implementation shows Qt dialogs.
#include <QString>
#include <QStringList>

class QWidget;

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// Buttons and results of message boxes; sets of buttons are or-ed together.
enum TMsgDlgBtn : unsigned {
    mbNone = 0,
    mbOK = 1u << 0,
    mbYes = 1u << 1,
    mbNo = 1u << 2,
    mbCancel = 1u << 3,
    mbHelp = 1u << 4,
    mbAbort = 1u << 5,
    mbRetry = 1u << 6,
    mbIgnore = 1u << 7,
    mbAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbNoToAll = 1u << 10,
};
using TMsgDlgButtons = unsigned;

struct TFileDialogOptions {
    QString Title;
    QString Filter;     // "Quillbrook|*.qbk" form: description|patterns pairs
    QString DefaultExt; // without the dot
    QString InitialDir;
    QString FileName; // proposed name
    bool FileMustExist = false;
};

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A message box; `prompt` selects the ShowPromptBox look (centred on the
    // screen, accelerators on every caption).  Answers the button pressed;
    // closing the box without a button answers Cancel when offered, else the
    // default button.
    virtual TMsgDlgBtn MessageBox(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                                  TMsgDlgBtn defaultButton, bool prompt) = 0;
    // A one-line text prompt; false when cancelled.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
    // File dialogs: the chosen path, or empty when cancelled.
    virtual QString OpenFileName(const TFileDialogOptions& options) = 0;
    virtual QString SaveFileName(const TFileDialogOptions& options) = 0;
};

// The dialogs in use.  Installing nullptr restores the real Qt dialogs.
IDialogs& Dialogs();
void SetDialogs(IDialogs* dialogs);

// The standard title of a kind: "Error", "Information", "Confirm", "Warning".
QString DialogKindTitle(TMsgDlgType kind);

// The two shared message helpers.  Texts pass through TranslateText inside.
TMsgDlgBtn ShowMessageBox(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                          TMsgDlgBtn defaultButton);
TMsgDlgBtn ShowPromptBox(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                         TMsgDlgBtn defaultButton);

// The three forms used everywhere.
void ShowErrorBox(const QString& text);
void ShowInformationBox(const QString& text);
bool AskOverwrite(const QString& text); // Yes/No, default No; true for Yes
