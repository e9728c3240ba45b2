#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace {
const char* KindName(TMsgDlgType kind) {
    switch (kind) {
    case TMsgDlgType::mtWarning:
        return "warning";
    case TMsgDlgType::mtError:
        return "error";
    case TMsgDlgType::mtInformation:
        return "information";
    case TMsgDlgType::mtConfirmation:
        return "confirmation";
    }
    return "?";
}
} // namespace

TScriptedDialogs::TScriptedDialogs() {
    ReportFailure = [](const std::string& text) { ADD_FAILURE() << text; };
    SetDialogs(this);
}

TScriptedDialogs::~TScriptedDialogs() {
    SetDialogs(nullptr);
    VerifyAllShown();
}

void TScriptedDialogs::ExpectMessage(TMsgDlgType kind, TMsgDlgBtn answer) {
    FExpected.push_back({TWhat::Message, kind, answer, false, {}});
}

void TScriptedDialogs::ExpectInputQuery(bool accept, const QString& value) {
    FExpected.push_back({TWhat::Input, TMsgDlgType::mtInformation, mbNone, accept, value});
}

void TScriptedDialogs::ExpectOpenFile(const QString& path) {
    FExpected.push_back(
        {TWhat::OpenFile, TMsgDlgType::mtInformation, mbNone, !path.isEmpty(), path});
}

void TScriptedDialogs::ExpectSaveFile(const QString& path) {
    FExpected.push_back(
        {TWhat::SaveFile, TMsgDlgType::mtInformation, mbNone, !path.isEmpty(), path});
}

const TScriptedDialogs::TMessage& TScriptedDialogs::LastMessage() const {
    static const TMessage none;
    return Messages.empty() ? none : Messages.back();
}

void TScriptedDialogs::VerifyAllShown() {
    for (const TExpected& expected : FExpected)
        Fail(expected.What == TWhat::Message
                 ? std::string("expected ") + KindName(expected.Kind) + " box was not shown"
                 : std::string("expected dialog was not shown"));
    FExpected.clear();
}

void TScriptedDialogs::Fail(const std::string& text) {
    if (ReportFailure)
        ReportFailure(text);
}

bool TScriptedDialogs::TakeExpected(TWhat what, const QString& shown, TExpected& expected) {
    if (FExpected.empty() || FExpected.front().What != what) {
        Fail("unexpected dialog: " + shown.toStdString());
        return false;
    }
    expected = FExpected.front();
    FExpected.pop_front();
    return true;
}

void TScriptedDialogs::Tolerate(std::function<bool(const TMessage&)> match) {
    FTolerated.push_back(std::move(match));
}

TMsgDlgBtn TScriptedDialogs::MessageBox(const QString& text, TMsgDlgType kind,
                                        TMsgDlgButtons buttons, TMsgDlgBtn defaultButton,
                                        bool prompt) {
    const TMessage shown{text, kind, buttons, defaultButton, prompt};
    for (const auto& match : FTolerated) {
        if (match(shown)) {
            Tolerated.push_back(shown);
            return defaultButton;
        }
    }
    Messages.push_back(shown);
    const TMsgDlgBtn fallback = (buttons & mbCancel) ? mbCancel : defaultButton;
    TExpected expected;
    if (!TakeExpected(TWhat::Message, QString::fromLatin1(KindName(kind)) + " box \"" + text + "\"",
                      expected))
        return fallback;
    if (expected.Kind != kind) {
        Fail(std::string("expected a ") + KindName(expected.Kind) + " box, got a " +
             KindName(kind) + " box: " + text.toStdString());
        return fallback;
    }
    if (!(buttons & expected.Answer)) {
        Fail("scripted answer is not a button of the box: " + text.toStdString());
        return fallback;
    }
    return expected.Answer;
}

bool TScriptedDialogs::InputQuery(const QString& caption, const QString& prompt, QString& value) {
    TExpected expected;
    if (!TakeExpected(TWhat::Input, "input query \"" + caption + ": " + prompt + "\"", expected))
        return false;
    if (expected.Accept)
        value = expected.Value;
    return expected.Accept;
}

QString TScriptedDialogs::OpenFileName(const TFileDialogOptions& options) {
    FileDialogs.push_back({false, options});
    TExpected expected;
    if (!TakeExpected(TWhat::OpenFile, "open dialog \"" + options.Title + "\"", expected))
        return {};
    return expected.Value;
}

QString TScriptedDialogs::SaveFileName(const TFileDialogOptions& options) {
    FileDialogs.push_back({true, options});
    TExpected expected;
    if (!TakeExpected(TWhat::SaveFile, "save dialog \"" + options.Title + "\"", expected))
        return {};
    return expected.Value;
}
