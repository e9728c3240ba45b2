#include "support/ui/Dialogs.h"

#include "support/TranslateText.h"
#include "support/ui/QtDialogs.h"

namespace {
IDialogs* gDialogs = nullptr;
} // namespace

IDialogs& Dialogs() {
    static TQtDialogs realDialogs;
    return gDialogs ? *gDialogs : realDialogs;
}

void SetDialogs(IDialogs* dialogs) {
    gDialogs = dialogs;
}

QString DialogKindTitle(TMsgDlgType kind) {
    switch (kind) {
    case TMsgDlgType::mtWarning:
        return TranslateText(QStringLiteral("Warning"));
    case TMsgDlgType::mtError:
        return TranslateText(QStringLiteral("Error"));
    case TMsgDlgType::mtInformation:
        return TranslateText(QStringLiteral("Information"));
    case TMsgDlgType::mtConfirmation:
        return TranslateText(QStringLiteral("Confirm"));
    }
    return {};
}

TMsgDlgBtn ShowMessageBox(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                          TMsgDlgBtn defaultButton) {
    return Dialogs().MessageBox(TranslateText(text), kind, buttons, defaultButton, false);
}

TMsgDlgBtn ShowPromptBox(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                         TMsgDlgBtn defaultButton) {
    return Dialogs().MessageBox(TranslateText(text), kind, buttons, defaultButton, true);
}

void ShowErrorBox(const QString& text) {
    ShowMessageBox(text, TMsgDlgType::mtError, mbOK, mbOK);
}

void ShowInformationBox(const QString& text) {
    ShowMessageBox(text, TMsgDlgType::mtInformation, mbOK, mbOK);
}

bool AskOverwrite(const QString& text) {
    return ShowMessageBox(text, TMsgDlgType::mtConfirmation, mbYes | mbNo, mbNo) == mbYes;
}
