#include "app/GradientBar.h"
#include "app/QuillbrookForm.h"
#include "support/AppEnvironment.h"
#include "support/ui/AboutBox.h"

#include "../common/ModalWatcher.h"
#include "../common/ScriptedDialogs.h"
#include "../common/UrlCatcher.h"
#include "support/ServiceUnreachable.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const QDate FixedToday(2020, 5, 17);

class QuillbrookForm : public ::testing::Test {
protected:
    void SetUp() override {
        qb::SetSettingsFilePath(FDir.filePath("quillbrook.ini"));
        qb::SetTodayProvider([] { return FixedToday; });
        TolerateUnreachableService(FDialogs);
    }
    void TearDown() override {
        qb::SetSettingsFilePath({});
        qb::SetTodayProvider({});
    }
    void WriteSettings(const QByteArray& content) {
        QFile file(qb::SettingsFilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray ReadSettings() {
        QFile file(qb::SettingsFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QTemporaryDir FDir;
    TScriptedDialogs FDialogs; // any unexpected box fails the test
};

TEST_F(QuillbrookForm, ToolBarLayout) {
    TQuillbrookForm form;
    struct TCase {
        QWidget* Control;
        QRect Place;
        QString Caption;
    };
    const TCase cases[] = {
        {form.NewBtn, {4, 2, 52, 52}, "New"},
        {form.OpenBtn, {56, 2, 52, 52}, "Open"},
        {form.SaveBtn, {108, 2, 52, 52}, "Save"},
        {form.SaveAsBtn, {160, 2, 52, 52}, "Save As"},
        {form.SearchBtn, {231, 2, 60, 52}, "Get QUILLs"},
        {form.SearchDatePicker, {297, 33, 120, 21}, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Control->objectName().toStdString());
        EXPECT_EQ(c.Control->parentWidget(), form.SpeedBar);
        EXPECT_EQ(c.Control->geometry(), c.Place);
        if (auto* button = qobject_cast<QToolButton*>(c.Control)) {
            EXPECT_EQ(button->text(), c.Caption);
            EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            EXPECT_TRUE(button->autoRaise());
            EXPECT_FALSE(button->icon().isNull());
        }
    }
    EXPECT_EQ(form.SearchDateLbl->text(), "Find stocks based on data at the following date:");
    EXPECT_TRUE(form.SearchDateLbl->wordWrap());
    EXPECT_EQ(form.AboutBtn->text(), "About");
    EXPECT_EQ(form.AboutBtn->size(), QSize(52, 52));
    EXPECT_EQ(form.SpeedBar->height(), 58);
    EXPECT_EQ(form.minimumSize(), QSize(600, 400));
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(QFontInfo(form.font()).pixelSize(), 11);
    EXPECT_EQ(form.TabBar->shape(), QTabBar::RoundedSouth);
    EXPECT_FALSE(form.TabBar->isMovable());
    EXPECT_EQ(form.ProgressTimer->interval(), 100);
    EXPECT_EQ(form.ReEnableFieldPanelTimer->interval(), 500);
    EXPECT_FALSE(form.ReEnableFieldPanelTimer->isActive());
}

TEST_F(QuillbrookForm, SearchDateLimitedToAugust2006UntilToday) {
    TQuillbrookForm form;
    QDateEdit* picker = form.SearchDatePicker;
    EXPECT_EQ(picker->date(), FixedToday);
    EXPECT_EQ(picker->minimumDate(), QDate(2006, 8, 30));
    EXPECT_EQ(picker->maximumDate(), FixedToday);
    EXPECT_EQ(picker->calendarWidget()->monthShown(), 5);
    EXPECT_EQ(picker->calendarWidget()->yearShown(), 2020);
    const struct {
        QDate Set, Kept;
    } cases[] = {{QDate(2006, 8, 29), QDate(2006, 8, 30)},
                 {QDate(2006, 8, 30), QDate(2006, 8, 30)},
                 {FixedToday.addDays(1), FixedToday},
                 {QDate(2012, 2, 29), QDate(2012, 2, 29)}};
    for (const auto& c : cases) {
        picker->setDate(c.Set);
        EXPECT_EQ(picker->date(), c.Kept) << c.Set.toString(Qt::ISODate).toStdString();
    }
}

TEST_F(QuillbrookForm, AboutButtonKeepsToTheRightEdge) {
    TQuillbrookForm form;
    form.setWindowState(Qt::WindowNoState);
    form.show();
    for (int width : {800, 1234, 600}) {
        form.resize(width, 500);
        QTRY_COMPARE(form.width(), width);
        EXPECT_EQ(form.AboutBtn->geometry(), QRect(width - 52 - 4, 2, 52, 52));
    }
}

TEST_F(QuillbrookForm, ReadsServerAndSavesPlacementBesideIt) {
    // A local port nothing listens on: the start-up fetch fails at once.
    const QByteArray settings = "[Server]\r\nServerHost=127.0.0.1\r\nServerPort=1\r\n";
    WriteSettings(settings);
    {
        TQuillbrookForm form;
        EXPECT_EQ(form.ServerHost, "127.0.0.1");
        EXPECT_EQ(form.ServerPort, 1);
        EXPECT_TRUE(form.SiteNames.empty());
        form.setWindowState(Qt::WindowNoState);
        form.setGeometry(30, 40, 700, 450);
        form.show();
        QTRY_COMPARE(form.size(), QSize(700, 450));
        form.close();
    }
    const QByteArray after = ReadSettings();
    EXPECT_TRUE(after.startsWith(settings)) << after.toStdString();
    EXPECT_TRUE(after.contains("[QuillbrookForm]\r\nWindowState=0\r\n"));

    TQuillbrookForm again;
    EXPECT_FALSE(again.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(again.normalGeometry().size(), QSize(700, 450));
}

TEST_F(QuillbrookForm, AboutBoxIsModalWithOkButton) {
    TQuillbrookForm form;
    QString title, version, user;
    bool okVisible = false;
    TModalWatcher watch([&](QWidget* window) {
        auto* box = qobject_cast<TAboutBox*>(window);
        ASSERT_TRUE(box);
        title = box->windowTitle();
        version = box->Version->text();
        okVisible = box->OKButton->isVisible();
        EXPECT_FALSE(box->OS->text().isEmpty());
        EXPECT_EQ(box->ProductName2->text(), "Quillbrook");
        EXPECT_FALSE(box->windowFlags() & Qt::FramelessWindowHint);
        box->OKButton->click();
    });
    form.AboutBtn->click();
    EXPECT_TRUE(watch.Seen());
    EXPECT_FALSE(watch.TimedOut());
    EXPECT_EQ(title, "About Quillbrook");
    EXPECT_EQ(version, "1.10");
    EXPECT_TRUE(okVisible);
}

TEST_F(QuillbrookForm, SplashHasNoTitleBarNorOkButton) {
    TAboutDialog about;
    SetUpQuillbrookAbout(about);
    about.ShowSplash();
    TAboutBox* splash = about.SplashWindow();
    ASSERT_TRUE(splash);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(splash->OKButton->isVisible());
    EXPECT_TRUE(splash->windowTitle().isEmpty());
    EXPECT_EQ(splash->ProductName1->text(), "Quillbrook");
    // The user line is still inside the shortened window.
    EXPECT_LE(splash->UserLbl->geometry().bottom(), splash->height());
    about.HideSplash();
    EXPECT_EQ(about.SplashWindow(), nullptr);
}

TEST_F(QuillbrookForm, AddressLabelOpensTheBrowser) {
    TUrlCatcher catcher;
    TAboutDialog about;
    SetUpQuillbrookAbout(about);
    std::unique_ptr<TAboutBox> box(about.CreateBox());
    box->show();
    QTest::mouseClick(box->URL, Qt::LeftButton);
    ASSERT_EQ(catcher.Opened.size(), 1);
    EXPECT_EQ(catcher.Opened[0], QUrl(about.URL));
}

} // namespace
