#include "../common/ScriptedDialogs.h"
#include "app/FormStorage.h"
#include "app/ServerSettings.h"
#include "app/StockService.h"
#include "support/Win1252.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

TEST(ServerSettings, DefaultsAndValues) {
    QTemporaryDir dir;
    struct TCase {
        const char* Name;
        const char* Content; // nullptr: no file
        std::string Host;
        int Port;
    };
    const TCase cases[] = {
        {"missing file", nullptr, "", 0},
        {"no Server section", "[Industries]\r\n1=Banks\r\n", "", 0},
        {"port unreadable", "[Server]\r\nServerHost = quotes.example \r\nServerPort=x\r\n",
         "quotes.example", 0},
        {"both, any case", "[server]\r\nserverhost=q.example\r\nSERVERPORT=8443\r\n", "q.example",
         8443},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = dir.filePath(QString::fromLatin1(c.Name) + ".ini");
        if (c.Content)
            WriteAll(path, c.Content);
        const TServerSettings settings = TServerSettings::Load(path);
        EXPECT_EQ(settings.ServerHost, c.Host);
        EXPECT_EQ(settings.ServerPort, c.Port);
    }
}

// A port that cannot be one is reported with its key and file, not quietly
// turned into 0; an absent, empty or zero port stays 0 with nothing to report.
TEST(ServerSettings, PortsThatCannotBeOneNameTheirFile) {
    QTemporaryDir dir;
    const struct {
        const char* Value;
        bool Reported;
    } cases[] = {{"8443", false}, {"0", false},    {"", false},   {"x", true},     {"99999", true},
                 {"-1", true},    {"65536", true}, {"1e3", true}, {"65535", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Value);
        const QString path = dir.filePath("settings.ini");
        WriteAll(path,
                 QByteArray("[Server]\r\nServerHost=q.example\r\nServerPort=") + c.Value + "\r\n");
        const TServerSettings settings = TServerSettings::Load(path);
        if (!c.Reported) {
            EXPECT_EQ(settings.Problem, "");
            continue;
        }
        EXPECT_EQ(settings.Problem,
                  "The setting \"ServerPort\" in section \"Server\" of the file \"" +
                      qb::ToAnsi(path) + "\" has the value \"" + c.Value +
                      "\"; it must be a port number from 1 to 65535.");
        // The first call reports it, and nothing is sent anywhere.
        TScriptedDialogs dialogs;
        dialogs.ExpectError();
        EXPECT_EQ(TStockServiceClient::ForWindow(nullptr, path).OpenSession(), "");
        ASSERT_EQ(dialogs.Messages.size(), 1u);
        EXPECT_EQ(dialogs.Messages[0].Text,
                  "Unable to open session with server.\r\r" + qb::FromAnsi(settings.Problem));
    }
}

TEST(FormStorage, SaveKeepsOtherSectionsAndRoundTrips) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillbrook.ini");
    const QByteArray before = "; settings\r\n[Server]\r\nServerHost=quotes.example\r\n"
                              "ServerPort=7000\r\n\r\n[Industries]\r\nBanks\r\n3 = Oil=Gas\r\n";
    WriteAll(path, before);

    TFormStorage storage(path, "QuillbrookForm");
    TFormPlacement placement;
    EXPECT_FALSE(storage.Load(placement)); // nothing stored yet

    placement.WindowState = TFormPlacement::wsNormal;
    placement.NormalGeometry = QRect(10, 20, 700, 500);
    placement.ActiveControl = "SearchDatePicker";
    storage.Save(placement);
    placement.NormalGeometry = QRect(11, 21, 701, 501); // saved twice: no second section
    storage.Save(placement);

    const QByteArray after = ReadAll(path);
    EXPECT_TRUE(after.startsWith(before)) << after.toStdString();
    EXPECT_EQ(after.count("[QuillbrookForm]"), 1);
    EXPECT_FALSE(QFile::exists(path + ".tmp"));

    TFormPlacement loaded;
    ASSERT_TRUE(storage.Load(loaded));
    EXPECT_EQ(loaded.WindowState, TFormPlacement::wsNormal);
    EXPECT_EQ(loaded.NormalGeometry, QRect(11, 21, 701, 501));
    EXPECT_EQ(loaded.ActiveControl, "SearchDatePicker");
}

TEST(FormStorage, RestoresStoredStateOrMaximises) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillbrook.ini");
    TFormStorage storage(path, "QuillbrookForm");
    {
        QWidget window;
        window.setMinimumSize(600, 400);
        storage.RestorePlacement(window); // nothing stored: maximised
        EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
    }
    struct TCase {
        const char* Stored;
        bool Maximized;
        QSize Size;
    };
    const TCase cases[] = {
        {"WindowState=0\r\nLeft=5\r\nTop=6\r\nWidth=640\r\nHeight=480\r\n", false, QSize(640, 480)},
        // Below the minimum size the window still keeps its minimum.
        {"WindowState=0\r\nLeft=5\r\nTop=6\r\nWidth=100\r\nHeight=80\r\n", false, QSize(600, 400)},
        // Closed minimised or with an unknown state: opens maximised.
        {"WindowState=1\r\nLeft=5\r\nTop=6\r\nWidth=640\r\nHeight=480\r\n", true, QSize(640, 480)},
        {"WindowState=9\r\n", true, QSize()},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Stored);
        WriteAll(path, QByteArray("[QuillbrookForm]\r\n") + c.Stored);
        QWidget window;
        window.setMinimumSize(600, 400);
        storage.RestorePlacement(window);
        EXPECT_EQ(bool(window.windowState() & Qt::WindowMaximized), c.Maximized);
        if (c.Size.isValid()) {
            EXPECT_EQ(window.normalGeometry().size(), c.Size);
        }
    }
}

} // namespace
