#pragma once
// Dialogs for runs without a window: message-box texts are written to a
// stream (standard error), each box's line breaks as newlines, and every
// question is answered as if the box were closed.  File dialogs and prompts
// are cancelled.
#include "support/ui/Dialogs.h"

#include <cstdio>

class TConsoleDialogs : public IDialogs {
public:
    explicit TConsoleDialogs(std::FILE* stream = stderr) : FStream(stream) {}

    TMsgDlgBtn MessageBox(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                          TMsgDlgBtn defaultButton, bool prompt) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    QString OpenFileName(const TFileDialogOptions& options) override;
    QString SaveFileName(const TFileDialogOptions& options) override;

    // The text as the terminal shows it: CR LF and lone CRs become newlines,
    // and it ends with one.
    static QString TerminalText(const QString& text);

    int MessageCount() const { return FMessageCount; }

private:
    std::FILE* FStream;
    int FMessageCount = 0;
};
