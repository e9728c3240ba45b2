#include "filter/TFilterFm.h"
#include "filter/TWaitCursor.h"
#include "grid/TStringGridEx.h"
#include "support/AppEnvironment.h"
#include "support/Exception.h"

#include "../common/ScriptedDialogs.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

namespace {

class TBrowser : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Opened;
    Q_INVOKABLE void Open(const QUrl& url) { Opened.push_back(url); }
};

struct ResultsCommandsTest : ::testing::Test {
    struct Lookup {
        std::string country, symbol, exchange, site;
    };
    std::vector<Lookup> Lookups;
    std::string Address = "https://info.example/us/msft";
    TBrowser Browser;
    std::unique_ptr<TFilterFm> Editor;
    QTemporaryDir Dir;

    void SetUp() override {
        qb::SetSettingsFilePath(QStringLiteral("/nonexistent/quillbrook.ini"));
        Editor = std::make_unique<TFilterFm>(nullptr, QStringList{"Site A", "Site B", "Site C"});
        Editor->BuildFieldTree();
        TFilterFm::SetStockInfoURLLookup(
            [this](const std::string& country, const std::string& symbol,
                   const std::string& exchange, const std::string& site) {
                Lookups.push_back({country, symbol, exchange, site});
                return Address;
            });
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(scheme, &Browser, "Open");
    }
    void TearDown() override {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
        TFilterFm::SetStockInfoURLLookup({});
    }
    TStringGridEx* Grid() const { return Editor->ResultsGrid(); }
    QAction* MenuItem(const QString& text) const {
        for (QAction* action : Editor->ResultsMenu()->actions())
            if (action->text() == text)
                return action;
        return nullptr;
    }
    QString FilePath(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(ResultsCommandsTest, MenuListsTheSitesThenTheExports) {
    QStringList texts;
    for (QAction* action : Editor->ResultsMenu()->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(texts, (QStringList{"View on Site A", "View on Site B", "View on Site C", "-",
                                  "Export to Excel", "Export to CVS Text"}));

    TFilterFm bare(nullptr, {});
    EXPECT_TRUE(bare.ResultsMenu()->actions().front()->isSeparator());
}

TEST_F(ResultsCommandsTest, ViewOnSiteLooksUpTheSelectedStock) {
    Grid()->SetTable({{"Company Name", "exchange", "SYMBOL", "Country"},
                      {"Microsoft", "NASDAQ", "MSFT", "US"},
                      {"Petro", "", "PCA", "CA"}});
    MenuItem("View on Site B")->trigger(); // no row selected: nothing
    EXPECT_TRUE(Lookups.empty());

    Grid()->SelectRow(1);
    Editor->ViewOnSiteClick(MenuItem("View on Site B"));
    ASSERT_EQ(Lookups.size(), 1u);
    EXPECT_EQ(Lookups[0].country, "US");
    EXPECT_EQ(Lookups[0].symbol, "MSFT");
    EXPECT_EQ(Lookups[0].exchange, "NASDAQ");
    EXPECT_EQ(Lookups[0].site, "Site B");
    EXPECT_EQ(Browser.Opened, QList<QUrl>{QUrl(QString::fromStdString(Address))});

    Grid()->SelectRow(2); // empty exchange
    try {
        Editor->ViewOnSiteClick(MenuItem("View on Site A"));
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().rfind("Internal error in ViewStockInfoOnDefaultBrowser\r"
                                    "Result must have Country and Symbol and Exchange\r\n\r\n",
                                    0),
                  0u)
            << e.Message();
    }
    EXPECT_EQ(Lookups.size(), 1u);
}

TEST_F(ResultsCommandsTest, OnlyWebAddressesFromTheServiceAreOpened) {
    Grid()->SetTable({{"Country", "Symbol", "Exchange"}, {"US", "MSFT", "NASDAQ"}});
    Address = "";
    Editor->ViewStockInfoOnDefaultBrowser("Site A", 1);
    Address = "file:///etc/passwd";
    EXPECT_THROW(Editor->ViewStockInfoOnDefaultBrowser("Site A", 1), Exception);
    Address = "http://info.example/?s=MSFT";
    Editor->ViewStockInfoOnDefaultBrowser("Site A", 1);
    EXPECT_EQ(Browser.Opened, QList<QUrl>{QUrl("http://info.example/?s=MSFT")});
}

TEST_F(ResultsCommandsTest, ExportAsksBeforeReplacingAFile) {
    TScriptedDialogs dialogs;
    Grid()->SetTable({{"Symbol", "Company Name"}, {"MSFT", "Microsoft, Inc."}});
    const QString path = FilePath("results.csv");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    dialogs.ExpectSaveFile(path);
    dialogs.ExpectMessage(TMsgDlgType::mtConfirmation, mbNo);
    Editor->ExportToTextClick();
    dialogs.VerifyAllShown();
    EXPECT_EQ(dialogs.LastMessage().Text, "File <results.csv> already exists.\rOverwrite ?");
    ASSERT_EQ(dialogs.FileDialogs.size(), 1u);
    EXPECT_EQ(dialogs.FileDialogs[0].Options.Title, "Export to CVS Text");
    EXPECT_EQ(dialogs.FileDialogs[0].Options.Filter, "CSV text files|*.csv");
    EXPECT_EQ(dialogs.FileDialogs[0].Options.DefaultExt, "csv");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "old");
    }

    dialogs.ExpectSaveFile(path);
    dialogs.ExpectMessage(TMsgDlgType::mtConfirmation, mbYes);
    Editor->ExportToTextClick();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "Symbol,Company Name\r\nMSFT,\"Microsoft, Inc.\"\r\n");

    dialogs.ExpectSaveFile({}); // cancelled
    Editor->ExportToExcelClick();
    EXPECT_EQ(dialogs.FileDialogs.back().Options.Title, "Export to Excel");
    EXPECT_EQ(dialogs.FileDialogs.back().Options.Filter, "Excel files|*.xls");
}

TEST_F(ResultsCommandsTest, ExportsWriteTheFilesAndRestoreTheCursor) {
    TScriptedDialogs dialogs;
    std::vector<std::vector<std::string>> table = {{"Symbol", "Closing price"}};
    for (int i = 0; i < 10; ++i)
        table.push_back({"S" + std::to_string(i), std::to_string(i)});
    Grid()->SetTable(table);

    dialogs.ExpectSaveFile(FilePath("ten.csv"));
    Editor->ExportToTextClick();
    QFile csv(FilePath("ten.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().count("\r\n"), 11);

    dialogs.ExpectSaveFile(FilePath("ten.xls"));
    Editor->ExportToExcelClick();
    EXPECT_GT(QFile(FilePath("ten.xls")).size(), 0);

    dialogs.ExpectSaveFile(FilePath("missing/folder/x.csv"));
    EXPECT_THROW(Editor->ExportToTextClick(), Exception);
    EXPECT_EQ(TWaitCursor::Depth(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(WaitCursorTest, NestsAndRestoresThePreviousCursor) {
    {
        TWaitCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            TWaitCursor inner;
            EXPECT_EQ(TWaitCursor::Depth(), 2);
        }
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(TWaitCursor::Depth(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace

#include "ResultsCommands_test.moc"
