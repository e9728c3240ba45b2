#pragma once
// An IDialogs for tests: queue the dialogs a test expects together with their
// answers; every dialog shown is recorded.  A dialog that was not expected, or
// of another kind than the next expected one, is a test failure (answered with
// Cancel when offered, else its default button); expectations still queued
// when the object is destroyed are failures too.  Installs itself while alive.
#include "support/ui/Dialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class TScriptedDialogs : public IDialogs {
public:
    TScriptedDialogs();
    ~TScriptedDialogs() override;
    TScriptedDialogs(const TScriptedDialogs&) = delete;
    TScriptedDialogs& operator=(const TScriptedDialogs&) = delete;

    struct TMessage {
        QString Text;
        TMsgDlgType Kind = TMsgDlgType::mtInformation;
        TMsgDlgButtons Buttons = mbNone;
        TMsgDlgBtn DefaultButton = mbNone;
        bool Prompt = false;
    };
    struct TFileDialog {
        bool Save = false;
        TFileDialogOptions Options;
    };

    // --- expectations, answered in order ---
    void ExpectMessage(TMsgDlgType kind, TMsgDlgBtn answer);
    void ExpectError() { ExpectMessage(TMsgDlgType::mtError, mbOK); }
    void ExpectInformation() { ExpectMessage(TMsgDlgType::mtInformation, mbOK); }
    void ExpectInputQuery(bool accept, const QString& value = {});
    void ExpectOpenFile(const QString& path); // empty: cancelled
    void ExpectSaveFile(const QString& path); // empty: cancelled

    // Message boxes that `match` accepts may come any number of times, also
    // never; they are answered with their default button and recorded in
    // Tolerated only.  For boxes a test does not look at, such as the
    // start-up report of an unreachable stock service.
    void Tolerate(std::function<bool(const TMessage&)> match);
    std::vector<TMessage> Tolerated;

    // --- what was shown ---
    std::vector<TMessage> Messages;
    std::vector<TFileDialog> FileDialogs;
    const TMessage& LastMessage() const;
    bool AllShown() const { return FExpected.empty(); }
    // Reports every expectation still queued and forgets them.
    void VerifyAllShown();

    // How failures are reported; GoogleTest's ADD_FAILURE unless replaced
    // (QtTest programs pass QTest::qFail).
    std::function<void(const std::string&)> ReportFailure;

    // IDialogs
    TMsgDlgBtn MessageBox(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                          TMsgDlgBtn defaultButton, bool prompt) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    QString OpenFileName(const TFileDialogOptions& options) override;
    QString SaveFileName(const TFileDialogOptions& options) override;

private:
    enum class TWhat { Message, Input, OpenFile, SaveFile };
    struct TExpected {
        TWhat What;
        TMsgDlgType Kind = TMsgDlgType::mtInformation;
        TMsgDlgBtn Answer = mbNone;
        bool Accept = false;
        QString Value;
    };
    bool TakeExpected(TWhat what, const QString& shown, TExpected& expected);
    void Fail(const std::string& text);

    std::deque<TExpected> FExpected;
    std::vector<std::function<bool(const TMessage&)>> FTolerated;
};
