#include "app/ProgressWindow.h"
#include "app/StockService.h"

#include "../common/ScriptedDialogs.h"
#include "xmlrpc/RpcFault.h"
#include "xmlrpc/XrValues.h"

#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A scripted service: answers by method name and records every call.
struct TFakeService {
    struct TCall {
        std::string Method;
        std::vector<std::string> Strings; // the string parameters
        bool Threaded;
        bool WindowEnabled; // as the call found it
    };
    std::vector<TCall> Calls;
    bool WindowEnabled = true;
    std::function<std::unique_ptr<TXrValue>(const std::string& method)> Answer;

    TStockServiceClient Client() {
        TStockServiceClient client("quotes.example", 7000, {"demo", "secret"});
        client.SetWindowEnabled = [this](bool enabled) { WindowEnabled = enabled; };
        client.RemoteCall = [this](const std::string& method, const TXrArray& params,
                                   bool threaded) -> std::unique_ptr<TXrValue> {
            TCall call{method, {}, threaded, WindowEnabled};
            for (int i = 1; i <= params.Count(); ++i)
                if (dynamic_cast<TXrString*>(params.Item(i)))
                    call.Strings.push_back(params.StringItem(i));
            Calls.push_back(call);
            if (method == "StockService.OpenSession")
                return std::make_unique<TXrString>("tok");
            if (method == "StockService.CloseSession")
                return std::make_unique<TXrBoolean>(true);
            return Answer(method);
        };
        return client;
    }
    std::vector<std::string> Methods() const {
        std::vector<std::string> names;
        for (const TCall& c : Calls)
            names.push_back(c.Method.substr(c.Method.find('.') + 1));
        return names;
    }
};

std::unique_ptr<TXrStruct> Status(bool error, int code = 0, const std::string& text = {}) {
    auto result = std::make_unique<TXrStruct>();
    result->AddBoolean("Error", error);
    if (error) {
        result->AddInteger("ErrorCode", code);
        result->AddString("ErrorMessage", text);
    }
    return result;
}

std::uint16_t ClosedPort() {
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

} // namespace

TEST(CheckResultError, ServiceRefusalsAndMissingStatus) {
    EXPECT_NO_THROW(CheckResultError(*Status(false)));
    try {
        CheckResultError(*Status(true, 17, "Bad symbol"));
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "17, Bad symbol");
    }
    try {
        CheckResultError(TXrStruct());
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().rfind("Key Error not found in Struct.", 0), 0u) << e.Message();
    }
}

TEST(OpenSession, TellsTransportErrorsFromOtherFailures) {
    struct TCase {
        const char* Name;
        std::function<std::unique_ptr<TXrValue>()> Answer;
        QString Text;
    } cases[] = {
        {"transport",
         []() -> std::unique_ptr<TXrValue> { throw ETransportError("Connection refused."); },
         "Make sure you are currently connected to the Internet.\r\rUnable to connect to "
         "quotes.example on port 7000.\r\rConnection refused."},
        {"fault", []() -> std::unique_ptr<TXrValue> { throw ERpcFault(3, "Unknown account"); },
         "Unable to open session with server.\r\rUnknown account"},
        {"not a string", [] { return std::make_unique<TXrInt4>(5); },
         "Unable to open session with server.\r\rInvalid type conversion: the result of "
         "StockService.OpenSession is not a string."},
    };
    for (const TCase& c : cases) {
        TScriptedDialogs dialogs;
        dialogs.ExpectError();
        TStockServiceClient client("quotes.example", 7000, {"demo", "secret"});
        std::vector<std::string> sent;
        client.RemoteCall = [&](const std::string& method, const TXrArray& params, bool threaded) {
            EXPECT_EQ(method, "StockService.OpenSession");
            EXPECT_FALSE(threaded);
            sent = {params.StringItem(1), params.StringItem(2)};
            return c.Answer();
        };
        EXPECT_EQ(client.OpenSession(), "") << c.Name;
        EXPECT_EQ(sent, (std::vector<std::string>{"demo", "secret"})) << c.Name;
        ASSERT_EQ(dialogs.Messages.size(), 1u) << c.Name;
        EXPECT_EQ(dialogs.Messages[0].Text, c.Text) << c.Name;
    }
}

TEST(OpenSession, RealTransportFailuresAndCheckErrors) {
    const std::uint16_t closed = ClosedPort();
    struct TCase {
        int Port;
        QString Start;
    } cases[] = {
        {closed, QString("Make sure you are currently connected to the Internet.\r\rUnable to "
                         "connect to 127.0.0.1 on port %1.\r\r")
                     .arg(closed)},
        {0, "Unable to open session with server.\r\rPortNo parameter is equal to 0 in RpcCall"},
        {70000, "Unable to open session with server.\r\rPortNo parameter is equal to 0"},
    };
    for (const TCase& c : cases) {
        TScriptedDialogs dialogs;
        dialogs.ExpectError();
        TStockServiceClient client("127.0.0.1", c.Port, {"demo", "demo"});
        EXPECT_EQ(client.OpenSession(), "");
        ASSERT_EQ(dialogs.Messages.size(), 1u);
        EXPECT_TRUE(dialogs.Messages[0].Text.startsWith(c.Start))
            << dialogs.Messages[0].Text.toStdString();
    }
}

TEST(CallingPattern, StockInfoUrlClosesTheSessionWhateverHappens) {
    struct TCase {
        const char* Name;
        std::function<std::unique_ptr<TXrValue>()> Answer;
        std::string Address;
        QString Error; // empty: none
    } cases[] = {
        {"address",
         [] {
             auto r = Status(false);
             r->AddString("URL", "https://info.example/IBM");
             return std::unique_ptr<TXrValue>(std::move(r));
         },
         "https://info.example/IBM", ""},
        {"refused", [] { return std::unique_ptr<TXrValue>(Status(true, 17, "Bad symbol")); }, "",
         "17, Bad symbol"},
        {"no URL", [] { return std::unique_ptr<TXrValue>(Status(false)); }, "",
         "Key URL not found in Struct."},
        {"array", [] { return std::unique_ptr<TXrValue>(std::make_unique<TXrArray>()); }, "",
         "Invalid type conversion: the result of StockService.GetStockInfoURL is not a struct."},
        {"crossed fault", []() -> std::unique_ptr<TXrValue> { throw Exception("Bad symbol"); }, "",
         "Bad symbol"},
    };
    for (const TCase& c : cases) {
        TScriptedDialogs dialogs;
        if (!c.Error.isEmpty())
            dialogs.ExpectError();
        TFakeService fake;
        fake.Answer = [&](const std::string&) { return c.Answer(); };
        TStockServiceClient client = fake.Client();
        EXPECT_EQ(client.GetStockInfoURL("US", "IBM", "NYSE", "Yahoo"), c.Address) << c.Name;
        EXPECT_EQ(fake.Methods(),
                  (std::vector<std::string>{"OpenSession", "GetStockInfoURL", "CloseSession"}))
            << c.Name;
        const TFakeService::TCall& call = fake.Calls[1];
        EXPECT_EQ(call.Strings, (std::vector<std::string>{"tok", "US", "IBM", "NYSE", "Yahoo"}));
        EXPECT_TRUE(call.Threaded);
        EXPECT_FALSE(call.WindowEnabled); // disabled exactly during the threaded call
        EXPECT_TRUE(fake.Calls[0].WindowEnabled);
        EXPECT_TRUE(fake.Calls[2].WindowEnabled);
        EXPECT_EQ(fake.Calls[2].Strings, std::vector<std::string>{"tok"});
        EXPECT_TRUE(fake.WindowEnabled) << c.Name;
        if (!c.Error.isEmpty()) {
            ASSERT_EQ(dialogs.Messages.size(), 1u) << c.Name;
            EXPECT_TRUE(dialogs.Messages[0].Text.startsWith(c.Error))
                << dialogs.Messages[0].Text.toStdString();
        }
    }
}

TEST(CallingPattern, SiteNamesFailQuietly) {
    using TNames = std::optional<std::vector<std::string>>;
    struct TCase {
        const char* Name;
        std::function<std::unique_ptr<TXrValue>()> Answer;
        TNames Expected;
    } cases[] = {
        {"two",
         [] {
             auto a = std::make_unique<TXrArray>();
             a->AddString("Yahoo");
             a->AddString("Reuters");
             return std::unique_ptr<TXrValue>(std::move(a));
         },
         TNames({"Yahoo", "Reuters"})},
        {"empty", [] { return std::unique_ptr<TXrValue>(std::make_unique<TXrArray>()); },
         TNames(std::vector<std::string>{})},
        {"struct", [] { return std::unique_ptr<TXrValue>(Status(false)); }, std::nullopt},
        {"non-string element",
         [] {
             auto a = std::make_unique<TXrArray>();
             a->Add(std::make_unique<TXrInt4>(1));
             return std::unique_ptr<TXrValue>(std::move(a));
         },
         std::nullopt},
        {"fault", []() -> std::unique_ptr<TXrValue> { throw Exception("Session expired"); },
         std::nullopt},
    };
    for (const TCase& c : cases) {
        TScriptedDialogs dialogs; // any message is a failure
        TFakeService fake;
        fake.Answer = [&](const std::string&) { return c.Answer(); };
        TStockServiceClient client = fake.Client();
        EXPECT_EQ(client.GetStockInfoSites(), c.Expected) << c.Name;
        EXPECT_EQ(fake.Methods().back(), "CloseSession") << c.Name;
    }
}

TEST(CallingPattern, NoSessionMeansNoCallAndAFailedCloseIsShown) {
    {
        TScriptedDialogs dialogs;
        dialogs.ExpectError();
        TStockServiceClient client("h", 1, {});
        int calls = 0;
        client.RemoteCall = [&](const std::string&, const TXrArray&,
                                bool) -> std::unique_ptr<TXrValue> {
            ++calls;
            throw ETransportError("Connection refused.");
        };
        EXPECT_EQ(client.GetStockInfoSites(), std::nullopt);
        EXPECT_EQ(calls, 1); // OpenSession only; nothing to close
    }
    {
        TScriptedDialogs dialogs;
        dialogs.ExpectError();
        TFakeService fake;
        TStockServiceClient client = fake.Client();
        client.RemoteCall = [inner = client.RemoteCall](const std::string& method,
                                                        const TXrArray& params, bool threaded) {
            if (method == "StockService.CloseSession")
                throw ERpcFault(9, "Unknown session");
            if (method == "StockService.OpenSession")
                return inner(method, params, threaded);
            auto a = std::make_unique<TXrArray>();
            a->AddString("Yahoo");
            return std::unique_ptr<TXrValue>(std::move(a));
        };
        EXPECT_EQ(client.GetStockInfoSites(), (std::vector<std::string>{"Yahoo"}));
        ASSERT_EQ(dialogs.Messages.size(), 1u);
        EXPECT_EQ(dialogs.Messages[0].Text, "Unknown session");
    }
}

TEST(ProgressWindow, SweepsUpAndDownInFortyTwoTicks) {
    QWidget owner;
    QWidget* progressWindow = nullptr;
    QTimer timer;
    timer.setInterval(100);
    ShowProgress(progressWindow, &timer, &owner, "Sending query to server. Please wait...");
    auto* window = qobject_cast<TProgressWindow*>(progressWindow);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(window->Text(), "Sending query to server. Please wait...");
    EXPECT_EQ(window->Bar()->minimum(), 0);
    EXPECT_EQ(window->Bar()->maximum(), 20);
    EXPECT_EQ(window->Position(), 1); // one step at once

    std::vector<int> positions{window->Position()};
    for (int tick = 0; tick < 42; ++tick) {
        ProgressTimerTimer(progressWindow);
        positions.push_back(window->Position());
    }
    // 1..20, a pause at 20, 19..0, a pause at 0, then up again: 42 ticks a cycle.
    EXPECT_EQ(positions[19], 20);
    EXPECT_EQ(positions[20], 20);
    EXPECT_EQ(positions[21], 19);
    EXPECT_EQ(positions[40], 0);
    EXPECT_EQ(positions[41], 0);
    EXPECT_EQ(positions[42], 1);

    HideProgress(progressWindow, &timer);
    EXPECT_EQ(progressWindow, nullptr);
    EXPECT_FALSE(timer.isActive());
    HideProgress(progressWindow, &timer); // nothing left to hide
    ProgressTimerTimer(progressWindow);
}
