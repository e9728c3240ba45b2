#include "support/ui/MessageDialog.h"
#include "support/ui/ShortCutBuilder.h"

#include "../common/ModalWatcher.h"
#include "../common/ScriptedDialogs.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(ShortCutBuilder, PromptCaptionsGetTheirAccelerators) {
    const QStringList expected = {"&Ok",    "&Yes",    "&No",  "&Cancel",     "&Help",     "&Abort",
                                  "&Retry", "&Ignore", "A&ll", "Y&es to all", "No &to all"};
    EXPECT_EQ(PromptButtonCaptions(), expected);
}

TEST(ShortCutBuilder, OwnAmpersandAndFallbacks) {
    struct TCase {
        QStringList Captions;
        QStringList Expected;
    };
    const TCase cases[] = {
        // A free "&" letter is kept and taken; a taken one moves to the next free character.
        {{"Sa&ve", "&Vote"}, {"Sa&ve", "V&ote"}},
        // Taken letters compare without regard to case; the "&" goes when moving.
        {{"&a", "x&A"}, {"&a", "&xA"}},
        // Only ASCII letters and digits qualify.
        {{"x", "\u00e9x 2"}, {"&x", "\u00e9x &2"}},
        // Nothing free: no "&" at all, and nothing is taken.
        {{"ab", "b", "a"}, {"&ab", "&b", "a"}},
        // An "&" at the very end marks nothing.
        {{"go&"}, {"&go"}},
    };
    for (const TCase& c : cases) {
        TShortCutBuilder builder;
        QStringList got;
        for (const QString& caption : c.Captions)
            got << builder.AddShortCut(caption);
        EXPECT_EQ(got, c.Expected) << c.Captions.join(", ").toStdString();
    }
}

TEST(MessageDialog, PromptYesNoCancelFocusesDefaultYes) {
    TMessageDialog box("Filter 1 has been modified since the last save.\r\rWould you like to save "
                       "the filter ?",
                       TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, mbYes, true);
    ASSERT_TRUE(box.Button(mbYes) && box.Button(mbNo) && box.Button(mbCancel));
    EXPECT_EQ(box.Button(mbYes)->text(), "&Yes");
    EXPECT_EQ(box.Button(mbNo)->text(), "&No");
    EXPECT_EQ(box.Button(mbCancel)->text(), "&Cancel");
    EXPECT_EQ(box.buttons().size(), 3);
    EXPECT_EQ(box.windowTitle(), "Confirm");
    // CR line breaks of the system's texts are shown as line breaks.
    EXPECT_EQ(box.text(), "Filter 1 has been modified since the last save.\n\nWould you like to "
                          "save the filter ?");

    box.show();
    QApplication::setActiveWindow(&box);
    EXPECT_TRUE(box.Button(mbYes)->isDefault());
    QTRY_COMPARE(QApplication::focusWidget(), box.Button(mbYes));
    // Escape answers Cancel when it is offered.
    QTest::keyClick(&box, Qt::Key_Escape);
    QTRY_VERIFY(!box.isVisible());
    EXPECT_EQ(box.Result(), mbCancel);
}

TEST(MessageDialog, KindsButtonsAndAnswers) {
    struct TCase {
        TMsgDlgType Kind;
        TMsgDlgButtons Buttons;
        TMsgDlgBtn Default;
        QString Title;
        TMsgDlgBtn Closing; // the answer when closed without a button
    };
    const TCase cases[] = {
        {TMsgDlgType::mtError, mbOK, mbOK, "Error", mbOK},
        {TMsgDlgType::mtInformation, mbOK, mbOK, "Information", mbOK},
        {TMsgDlgType::mtConfirmation, mbYes | mbNo, mbNo, "Confirm", mbNo},
        {TMsgDlgType::mtWarning, mbYes | mbNo | mbCancel, mbYes, "Warning", mbCancel},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Title.toStdString());
        TMessageDialog box("File <a.qbk> already exists.\rOverwrite ?", c.Kind, c.Buttons,
                           c.Default, false);
        EXPECT_EQ(box.windowTitle(), c.Title);
        EXPECT_EQ(box.textFormat(), Qt::PlainText); // "<a.qbk>" is no markup
        EXPECT_EQ(box.defaultButton(), box.Button(c.Default));
        EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);
        box.show();
        box.close();
        EXPECT_EQ(box.Result(), c.Closing);
    }
}

TEST(MessageDialog, ShownModallyAnswersTheClickedButton) {
    // The real dialogs: the overwrite question answered with Yes.
    SetDialogs(nullptr);
    QString title;
    TModalWatcher watch([&](QWidget* box) {
        title = box->windowTitle();
        EXPECT_TRUE(ClickButton(box, "Yes"));
    });
    EXPECT_TRUE(AskOverwrite("File <a.qbk> already exists.\rOverwrite ?"));
    EXPECT_TRUE(watch.Seen());
    EXPECT_FALSE(watch.TimedOut());
    EXPECT_EQ(title, "Confirm");
}

TEST(ScriptedDialogs, ThreeFormsReachTheInterface) {
    TScriptedDialogs dialogs;
    dialogs.ExpectError();
    dialogs.ExpectInformation();
    dialogs.ExpectMessage(TMsgDlgType::mtConfirmation, mbNo);
    ShowErrorBox("bad");
    ShowInformationBox("note");
    EXPECT_FALSE(AskOverwrite("again?"));
    ASSERT_EQ(dialogs.Messages.size(), 3u);
    EXPECT_EQ(dialogs.Messages[0].Text, "bad");
    EXPECT_EQ(dialogs.Messages[0].Buttons, TMsgDlgButtons(mbOK));
    EXPECT_EQ(dialogs.Messages[2].Buttons, TMsgDlgButtons(mbYes | mbNo));
    EXPECT_EQ(dialogs.Messages[2].DefaultButton, mbNo);
    EXPECT_FALSE(dialogs.Messages[2].Prompt);
}

TEST(ScriptedDialogs, ReportsUnexpectedAndMissingDialogs) {
    std::vector<std::string> failures;
    {
        TScriptedDialogs dialogs;
        dialogs.ReportFailure = [&](const std::string& text) { failures.push_back(text); };
        dialogs.ExpectError();
        // A prompt where an error box was expected: failure, answered Cancel.
        EXPECT_EQ(
            ShowPromptBox("save?", TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, mbYes),
            mbCancel);
        dialogs.ExpectInformation(); // never shown
    }
    EXPECT_EQ(failures.size(), 2u);
}

} // namespace
