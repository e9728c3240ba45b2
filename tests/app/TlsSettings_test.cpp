#include "app/ServerSettings.h"
#include "app/StockService.h"
#include "app/TlsSettings.h"

#include "../common/ScriptedDialogs.h"
#include "../xmlrpc/support/TestCertificates.h"
#include "service/DemoData.h"
#include "service/ReferenceService.h"
#include "support/AppEnvironment.h"
#include "support/Win1252.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using TMode = TTlsOptions::TMode;

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

const std::string& SmallDatabase() {
    static const std::string path = [] {
        const std::string target = std::string(QB_BINARY_DIR) + "/tests/app/demo-tls.sqlite";
        if (!QFile::exists(QString::fromStdString(target))) {
            // Test programs may run side by side: write aside, then rename.
            const std::string scratch =
                target + ".tmp" + std::to_string(QCoreApplication::applicationPid());
            TDemoDataOptions options;
            options.StockCount = 20;
            options.LastDay = QDate(2026, 6, 30);
            CreateDemoDatabase(scratch, options);
            QFile::rename(QString::fromStdString(scratch), QString::fromStdString(target));
        }
        return target;
    }();
    return path;
}

} // namespace

TEST(TlsSettings, KeysOfTheServerSection) {
    QTemporaryDir dir;
    struct TCase {
        const char* Name;
        const char* Content; // nullptr: no file
        TTlsOptions Expected;
        std::string Error; // non-empty: Options() must fail with it
    };
    const TCase cases[] = {
        {"no file", nullptr, {}, ""},
        {"no keys", "[Server]\r\nServerHost=q.example\r\n", {}, ""},
        {"empty value", "[Server]\r\nSecurity=\r\n", {}, ""},
        {"anonymous ignores the CA file",
         "[Server]\r\nSecurity=anonymous\r\nCAFile=/c.pem\r\n",
         {},
         ""},
        {"verified, any case",
         "[server]\r\nsecurity = Verified\r\ncafile = /etc/q/ca.pem \r\n",
         {TMode::Verified, "/etc/q/ca.pem"},
         ""},
        {"verified, platform store",
         "[Server]\r\nSecurity=VERIFIED\r\n",
         {TMode::Verified, ""},
         ""},
        {"CA file beside the settings",
         "[Server]\r\nSecurity=verified\r\nCAFile=pki/ca.pem\r\n",
         {TMode::Verified, qb::ToAnsi(dir.filePath("pki/ca.pem"))},
         ""},
        {"misspelt",
         "[Server]\r\nSecurity=verfied\r\nCAFile=/c.pem\r\n",
         {},
         "The setting \"Security\" in section \"Server\" of the file \"{file}\" has the unknown "
         "value \"verfied\"; it must be \"anonymous\" or \"verified\"."},
        {"other section only", "[Account]\r\nSecurity=verified\r\n", {}, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = dir.filePath(QString::fromLatin1(c.Name) + ".ini");
        if (c.Content)
            WriteFile(path, c.Content);
        const TTlsSettings settings = TServerSettings::Load(path).Tls;
        if (c.Error.empty()) {
            EXPECT_EQ(settings.Options(), c.Expected);
            continue;
        }
        try {
            settings.Options();
            ADD_FAILURE() << "accepted";
        } catch (const ETlsSetupError& e) {
            std::string expected = c.Error;
            expected.replace(expected.find("{file}"), 6, qb::ToAnsi(path));
            EXPECT_EQ(e.Message(), expected);
        }
    }
}

TEST(TlsSettings, UnknownModeStopsTheSessionBeforeAnyConnection) {
    TScriptedDialogs dialogs;
    dialogs.ExpectError();
    // An unreachable address: a connection attempt would report a transport error.
    TStockServiceClient client("127.0.0.1", 9, {"demo", "secret"});
    client.Tls.Security = "plain";
    EXPECT_EQ(client.OpenSession(), "");
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text,
              "Unable to open session with server.\r\rThe setting \"Security\" in section "
              "\"Server\" has the unknown value \"plain\"; it must be \"anonymous\" or "
              "\"verified\".");
}

class VerifiedService : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        const qbtest::TTestCertificates& certs = qbtest::TTestCertificates::Get();
        TServiceOptions options;
        options.DatabasePath = SmallDatabase();
        options.Accounts = {{"demo", "demo"}};
        options.LogCalls = false;
        options.CertFile = certs.Localhost.Cert;
        options.KeyFile = certs.Localhost.Key;
        FService = std::make_unique<TReferenceService>(options);
        FService->Start();
    }
    void TearDown() override { qb::SetSettingsFilePath({}); }

    QString Settings(const QByteArray& security) {
        const QString path = FDir.filePath("quillbrook.ini");
        WriteFile(path, "[Server]\r\nServerHost=localhost\r\nServerPort=" +
                            QByteArray::number(FService->Port()) + "\r\n" + security +
                            "[Account]\r\nUserName=demo\r\nPassword=demo\r\n");
        return path;
    }

    QTemporaryDir FDir;
    std::unique_ptr<TReferenceService> FService;
};

TEST_F(VerifiedService, SettingsFlowIntoEveryClient) {
    const QString path =
        Settings("Security=verified\r\nCAFile=" +
                 QByteArray::fromStdString(qbtest::TTestCertificates::Get().CaFile) + "\r\n");
    qb::SetSettingsFilePath(path);
    TScriptedDialogs dialogs; // any box fails the test
    // The headless runs name the settings file; the window gives host, port
    // and account and leaves the rest to the settings file in use.
    TStockServiceClient headless = TStockServiceClient::ForWindow(nullptr, path);
    TStockServiceClient window =
        TStockServiceClient::ForWindow(nullptr, "localhost", FService->Port(), {"demo", "demo"});
    for (TStockServiceClient* client : {&headless, &window}) {
        const std::string token = client->OpenSession();
        EXPECT_FALSE(token.empty());
        client->CloseSession(token);
        const std::optional<std::vector<std::string>> sites = client->GetStockInfoSites();
        ASSERT_TRUE(sites.has_value());
        EXPECT_FALSE(sites->empty());
    }
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(VerifiedService, AnonymousClientIsToldWhatTheServiceWants) {
    TScriptedDialogs dialogs;
    dialogs.ExpectError();
    TStockServiceClient client = TStockServiceClient::ForWindow(nullptr, Settings({}));
    EXPECT_EQ(client.OpenSession(), "");
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    const QString text = dialogs.Messages[0].Text;
    EXPECT_TRUE(text.startsWith("Make sure you are currently connected to the Internet"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("The service may require TLS with a verified certificate."))
        << text.toStdString();
}
