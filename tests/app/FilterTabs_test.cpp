#include "app/QuillbrookForm.h"
#include "filter/TFilterFm.h"
#include "support/AppEnvironment.h"

#include "../common/ScriptedDialogs.h"
#include "support/ServiceUnreachable.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class FilterTabs : public ::testing::Test {
protected:
    void SetUp() override {
        qb::SetSettingsFilePath(FDir.filePath("quillbrook.ini"));
        TolerateUnreachableService(FDialogs);
    }
    void TearDown() override { qb::SetSettingsFilePath({}); }

    QString Path(const QString& name) const { return QDir(FDir.path()).filePath(name); }
    static QByteArray ReadAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QStringList Captions(const TQuillbrookForm& form) {
        QStringList captions;
        for (int i = 0; i < form.TabBar->count(); ++i)
            captions << form.TabBar->tabText(i);
        return captions;
    }
    static void CloseTab(TQuillbrookForm& form, int index) {
        emit form.TabBar->tabCloseRequested(index);
    }
    static bool CommandsEnabled(const TQuillbrookForm& form) {
        const bool save = form.SaveBtn->isEnabled();
        EXPECT_EQ(form.SaveAsBtn->isEnabled(), save);
        EXPECT_EQ(form.SearchBtn->isEnabled(), save);
        return save;
    }

    QTemporaryDir FDir;
    TScriptedDialogs FDialogs; // any box not expected fails the test
};

TEST_F(FilterTabs, StartsWithOneTabAndIgnoresAMissingFile) {
    TQuillbrookForm form({Path("missing.qbk")});
    EXPECT_EQ(Captions(form), QStringList{"Filter 1"});
    EXPECT_EQ(form.windowTitle(), "Quillbrook - Filter 1");
    EXPECT_TRUE(CommandsEnabled(form));
    EXPECT_FALSE(form.Tab(0).Document->Modified());
    EXPECT_TRUE(form.Tab(0).Document->FileName().isEmpty());
    EXPECT_TRUE(FDialogs.Messages.empty());
}

TEST_F(FilterTabs, NumbersAreReusedOnlyAboveTheHighestInUse) {
    struct TCase {
        std::vector<int> Close; // indexes, closed in order
        QStringList After;      // captions after a final New
    };
    const TCase cases[] = {
        {{1}, {"Filter 1", "Filter 3", "Filter 4"}},
        {{2, 1}, {"Filter 1", "Filter 2"}},
        {{0, 0, 0}, {"Filter 1"}},
    };
    for (const TCase& c : cases) {
        TQuillbrookForm form;
        form.NewBtnClick();
        form.NewBtnClick();
        for (int index : c.Close)
            CloseTab(form, index);
        if (form.TabCount() == 0) {
            EXPECT_FALSE(CommandsEnabled(form));
            EXPECT_EQ(form.windowTitle(), "Quillbrook");
        }
        form.NewBtnClick();
        EXPECT_EQ(Captions(form), c.After);
        EXPECT_EQ(form.windowTitle(), "Quillbrook - " + c.After.last());
        EXPECT_TRUE(CommandsEnabled(form));
        // Only the selected tab's editor is shown.
        for (int i = 0; i < form.TabCount(); ++i)
            EXPECT_EQ(form.Tab(i).Document->GetPanel()->isVisibleTo(&form),
                      i == form.TabBar->currentIndex());
    }
}

TEST_F(FilterTabs, SaveAsksForANameOnceAndKeepsTheCaption) {
    TQuillbrookForm form;
    form.Tab(0).Document->SetModified(true);
    FDialogs.ExpectSaveFile(Path("first.qbk"));
    form.SaveBtn->click();
    ASSERT_EQ(FDialogs.FileDialogs.size(), 1u);
    EXPECT_EQ(FDialogs.FileDialogs[0].Options.Title, "Save As");
    EXPECT_EQ(FDialogs.FileDialogs[0].Options.Filter, "Quillbrook|*.qbk");
    EXPECT_EQ(FDialogs.FileDialogs[0].Options.DefaultExt, "qbk");
    EXPECT_TRUE(ReadAll(Path("first.qbk")).startsWith("[General]"));
    EXPECT_EQ(form.Tab(0).Document->FileName(), Path("first.qbk"));
    EXPECT_EQ(Captions(form), QStringList{"Filter 1"});
    EXPECT_FALSE(form.Tab(0).Document->Modified());
    // Saved again without asking; closing asks nothing.
    form.Tab(0).Document->SetModified(true);
    form.SaveBtn->click();
    EXPECT_EQ(FDialogs.FileDialogs.size(), 1u);
    EXPECT_TRUE(form.close());
}

TEST_F(FilterTabs, SaveAsRenamesAndOpenCaptionsByFileName) {
    TQuillbrookForm form;
    FDialogs.ExpectSaveFile(Path("my.screen.qbk"));
    form.SaveAsBtn->click();
    EXPECT_EQ(Captions(form), QStringList{"my.screen"});
    EXPECT_EQ(form.windowTitle(), "Quillbrook - my.screen");

    // The same file opens once more, in a further tab.
    FDialogs.ExpectOpenFile(Path("my.screen.qbk"));
    form.OpenBtn->click();
    EXPECT_TRUE(FDialogs.FileDialogs.back().Options.FileMustExist);
    EXPECT_EQ(Captions(form), (QStringList{"my.screen", "my.screen"}));
    EXPECT_EQ(form.TabBar->currentIndex(), 1);
    EXPECT_EQ(form.Tab(1).Document->FileName(), Path("my.screen.qbk"));
    EXPECT_FALSE(form.Tab(1).Document->Modified());
    EXPECT_EQ(form.windowTitle(), "Quillbrook - my.screen");
}

TEST_F(FilterTabs, OverwriteQuestionAnsweredNoWritesNothing) {
    QFile existing(Path("a.qbk"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();

    TQuillbrookForm form;
    FDialogs.ExpectSaveFile(Path("a.qbk"));
    FDialogs.ExpectMessage(TMsgDlgType::mtConfirmation, mbNo);
    form.SaveAsBtn->click();
    EXPECT_EQ(FDialogs.LastMessage().Text, "File <a.qbk> already exists.\rOverwrite ?");
    EXPECT_EQ(FDialogs.LastMessage().Buttons, TMsgDlgButtons(mbYes | mbNo));
    EXPECT_EQ(FDialogs.LastMessage().DefaultButton, mbNo);
    EXPECT_EQ(ReadAll(Path("a.qbk")), "keep me");
    EXPECT_TRUE(form.Tab(0).Document->FileName().isEmpty());
    EXPECT_EQ(Captions(form), QStringList{"Filter 1"});
}

TEST_F(FilterTabs, ClosingAModifiedTabSavesThatTab) {
    TQuillbrookForm form;
    form.NewBtnClick(); // selected: Filter 2
    form.Tab(0).Document->SetFileName(Path("one.qbk"));
    form.Tab(0).Document->SetModified(true);
    form.Tab(1).Document->SetFileName(Path("two.qbk"));
    form.Tab(1).Document->SetModified(true);

    FDialogs.ExpectMessage(TMsgDlgType::mtConfirmation, mbYes);
    CloseTab(form, 0);
    const auto& question = FDialogs.LastMessage();
    EXPECT_EQ(question.Text, "Filter 1 has been modified since the last save.\r\rWould you like "
                             "to save the filter ?");
    EXPECT_TRUE(question.Prompt);
    EXPECT_EQ(question.Buttons, TMsgDlgButtons(mbYes | mbNo));
    EXPECT_EQ(question.DefaultButton, mbYes);
    EXPECT_TRUE(QFile::exists(Path("one.qbk")));
    EXPECT_FALSE(QFile::exists(Path("two.qbk")));
    EXPECT_EQ(Captions(form), QStringList{"Filter 2"});

    // No: closes without saving.
    FDialogs.ExpectMessage(TMsgDlgType::mtConfirmation, mbNo);
    CloseTab(form, 0);
    EXPECT_FALSE(QFile::exists(Path("two.qbk")));
    EXPECT_EQ(form.TabCount(), 0);
}

TEST_F(FilterTabs, CancelWhileClosingKeepsTheWindowAndStopsAsking) {
    TQuillbrookForm form;
    form.NewBtnClick();
    form.Tab(0).Document->SetModified(true);
    form.Tab(1).Document->SetModified(true);
    form.show();
    FDialogs.ExpectMessage(TMsgDlgType::mtConfirmation, mbCancel);
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(FDialogs.Messages.size(), 1u);
    EXPECT_EQ(FDialogs.Messages[0].Buttons, TMsgDlgButtons(mbYes | mbNo | mbCancel));
    EXPECT_TRUE(FDialogs.Messages[0].Text.startsWith("Filter 1 has"));

    // No to both: the window closes.
    FDialogs.ExpectMessage(TMsgDlgType::mtConfirmation, mbNo);
    FDialogs.ExpectMessage(TMsgDlgType::mtConfirmation, mbNo);
    EXPECT_TRUE(form.close());
}

TEST_F(FilterTabs, UnreadableFileLeavesItsTabWithoutName) {
    QFile broken(Path("broken.qbk"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("[General]\r\nVersion=99\r\n");
    broken.close();

    FDialogs.ExpectError();
    TQuillbrookForm form({Path("broken.qbk")}); // reported, start-up goes on
    EXPECT_EQ(FDialogs.LastMessage().Text,
              "Cannot load file \"" + Path("broken.qbk") + "\". Unsupported file version, 99");
    EXPECT_EQ(Captions(form), QStringList{"broken"});
    EXPECT_TRUE(form.Tab(0).Document->FileName().isEmpty());
    EXPECT_TRUE(CommandsEnabled(form));
}

TEST_F(FilterTabs, FieldPanelRestsWhileTheCalendarIsOpen) {
    TQuillbrookForm form;
    form.show();
    QWidget* fieldPanel = form.Tab(0).Document->FilterFm()->FieldPanel();
    ASSERT_TRUE(fieldPanel);
    QWidget* popup = form.SearchDatePicker->calendarWidget()->window();
    popup->show();
    EXPECT_FALSE(fieldPanel->isEnabled());
    popup->hide();
    EXPECT_FALSE(fieldPanel->isEnabled());
    EXPECT_TRUE(form.ReEnableFieldPanelTimer->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(fieldPanel->isEnabled(), 3000);
    EXPECT_FALSE(form.ReEnableFieldPanelTimer->isActive());
}

} // namespace
