// The main window against the reference service on a free loopback port:
// site names at start, "Get QUILLs" filling the selected tab's grid, and a
// stopped service reported once at start with the window working on.
#include "../common/ScriptedDialogs.h"
#include "app/QuillbrookForm.h"
#include "filter/TFilterFm.h"
#include "filter/TFilterValuePanel.h"
#include "grid/TStringGridEx.h"
#include "service/DemoData.h"
#include "service/ReferenceService.h"
#include "support/AppEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const std::string& DemoDatabase() {
    static const std::string path = [] {
        const std::string target = std::string(QB_BINARY_DIR) + "/tests/app/demo-window.sqlite";
        if (!QFile::exists(QString::fromStdString(target))) {
            const std::string scratch =
                target + ".tmp" + std::to_string(QCoreApplication::applicationPid());
            TDemoDataOptions options;
            options.StockCount = 200;
            options.LastDay = QDate(2026, 6, 30);
            CreateDemoDatabase(scratch, options);
            QFile::rename(QString::fromStdString(scratch), QString::fromStdString(target));
        }
        return target;
    }();
    return path;
}

class MainWindowSearch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        qb::SetTodayProvider([] { return QDate(2026, 6, 30); });
        TServiceOptions options;
        options.DatabasePath = DemoDatabase();
        options.Accounts = {{"demo", "demo"}};
        options.LogCalls = false;
        FService = std::make_unique<TReferenceService>(options);
        FService->Start();
        WriteSettings(FService->Port());
    }
    void TearDown() override {
        qb::SetTodayProvider({});
        qb::SetSettingsFilePath({});
    }
    void WriteSettings(int port) {
        const QString path = FDir.filePath("quillbrook.ini");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Server]\r\nServerHost=127.0.0.1\r\nServerPort=" + QByteArray::number(port) +
                   "\r\n[Account]\r\nUserName=demo\r\nPassword=demo\r\n");
        qb::SetSettingsFilePath(path);
    }
    QTemporaryDir FDir;
    std::unique_ptr<TReferenceService> FService;
};

TEST_F(MainWindowSearch, GetQuillsFillsTheSelectedTabsGrid) {
    TScriptedDialogs dialogs; // any box at all fails the test
    TQuillbrookForm form;
    EXPECT_FALSE(form.SiteNames.empty());

    TFilterTab* tab = form.SelectedTab();
    ASSERT_NE(tab, nullptr);
    TFilterFm& editor = *tab->Document->FilterFm();
    TFilterValuePanel* price = editor.FindPanel("CLOSINGPRICE");
    ASSERT_NE(price, nullptr);
    price->SetUsage(fuDisplayOnly);
    price->UsageGroupClick();

    form.SearchBtn->click();

    const TStringGridEx& grid = *editor.ResultsGrid();
    EXPECT_FALSE(grid.isHidden());
    EXPECT_GT(grid.RowCount(), 100); // 200 demo stocks, the price shown for each
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(form.ProgressWindow, nullptr);
    if (qEnvironmentVariableIsSet("QB_GRAB")) {
        form.resize(1000, 640);
        form.grab().save(qEnvironmentVariable("QB_GRAB"));
    }
}

TEST_F(MainWindowSearch, StoppedServiceIsReportedOnceAndTheWindowWorksOn) {
    FService->Stop();
    TScriptedDialogs dialogs;
    dialogs.ExpectError(); // the connection error box at start, once
    TQuillbrookForm form;
    EXPECT_TRUE(dialogs.LastMessage().Text.startsWith(
        "Make sure you are currently connected to the Internet"));
    EXPECT_TRUE(form.SiteNames.empty());
    ASSERT_NE(form.SelectedTab(), nullptr);
    form.NewBtn->click();
    EXPECT_EQ(form.TabCount(), 2);
}

} // namespace
