#pragma once
// The dialogs shown to the user: Qt message boxes, text prompt, file dialogs.
#include "support/ui/Dialogs.h"

class TQtDialogs : public IDialogs {
public:
    TMsgDlgBtn MessageBox(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                          TMsgDlgBtn defaultButton, bool prompt) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    QString OpenFileName(const TFileDialogOptions& options) override;
    QString SaveFileName(const TFileDialogOptions& options) override;

    // "Quillbrook|*.qbk" as a Qt name filter list: "Quillbrook (*.qbk)".
    static QStringList QtNameFilters(const QString& filter);
};
