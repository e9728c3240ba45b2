#include "xmlrpc/RpcCallThread.h"

#include "support/ScriptedTlsServer.h"
#include "xmlrpc/RpcFault.h"
#include "xmlrpc/XrValues.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const std::string kAnswer = "<?xml version=\"1.0\"?><methodResponse><params><param><value>"
                            "<i4>42</i4></value></param></params></methodResponse>";

TTransportLimits ShortLimits() {
    TTransportLimits limits;
    limits.ConnectTimeout = 1500ms;
    limits.IdleTimeout = 500ms;
    limits.CallDeadline = 3000ms;
    return limits;
}

} // namespace

TEST(RpcCallInThread, TimersRunWhileWaitingAndTheResultIsHandedOver) {
    int argc = 1;
    char name[] = "xmlrpc_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    TScriptedTlsServer server;
    server.SetScript(
        {{TServerStep::Pause(400ms), TServerStep::Send(TScriptedTlsServer::HttpAnswer(kAnswer))}});
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    TXrArray params;
    params.AddString("token");

    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<TXrValue> result = RpcCallInThread(
        "127.0.0.1", server.Port(), true, "StockService.GetStockInfoSites", params,
        [] { QCoreApplication::processEvents(); }, ShortLimits());
    const auto elapsed = std::chrono::steady_clock::now() - start;

    auto* number = dynamic_cast<TXrInt4*>(result.get());
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->Value, 42);
    EXPECT_GE(ticks, 5); // the waiting thread kept the event loop turning
    EXPECT_GE(elapsed, 400ms);
    EXPECT_LT(elapsed, 1500ms);
    ASSERT_EQ(params.Count(), 1); // borrowed, not consumed
    EXPECT_EQ(params.StringItem(1), "token");
}

TEST(RpcCallInThread, ErrorsArriveAsPlainErrorsWithTheSameText) {
    const std::string fault =
        "<?xml version=\"1.0\"?><methodResponse><fault><value><struct>"
        "<member><name>faultCode</name><value><i4>4</i4></value></member>"
        "<member><name>faultString</name><value><string>Bad symbol</string></value></member>"
        "</struct></value></fault></methodResponse>";
    struct TCase {
        const char* Name;
        TServerScript Script;
        std::string Host;
        std::string Message; // start of the text
    } cases[] = {
        {"fault",
         {{TServerStep::Send(TScriptedTlsServer::HttpAnswer(fault))}},
         "127.0.0.1",
         "Bad symbol"},
        {"stall", {{TServerStep::Pause(3s)}}, "127.0.0.1", "Waiting for the answer of 127.0.0.1"},
        {"check", {}, "", "Host parameter is empty in RpcCall\r\n\r\nIn module "},
    };
    for (const TCase& c : cases) {
        TScriptedTlsServer server;
        server.SetScript(c.Script);
        int pumped = 0;
        try {
            RpcCallInThread(
                c.Host, server.Port(), true, "StockService.FindStocks", TXrArray(),
                [&] { ++pumped; }, ShortLimits());
            ADD_FAILURE() << c.Name;
        } catch (const ERpcFault&) {
            ADD_FAILURE() << c.Name << ": the fault class crossed the thread";
        } catch (const ETransportError&) {
            ADD_FAILURE() << c.Name << ": the transport class crossed the thread";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message().rfind(c.Message, 0), 0u) << c.Name << ": " << e.Message();
        }
    }
}

TEST(RpcCallThread, DeliversExactlyOneOutcomeBeforeTheFlag) {
    TScriptedTlsServer server;
    server.AnswerBody(kAnswer);
    TXrArray params;
    int outcomes = 0;
    bool terminatedAtCompletion = true;
    std::unique_ptr<TXrValue> delivered;
    {
        TRpcCallThread thread("127.0.0.1", server.Port(), true);
        thread.Params = &params;
        thread.MethodName = "StockService.OpenSession";
        thread.Limits = ShortLimits();
        thread.OnComplete = [&](std::unique_ptr<TXrValue> result, bool failed, std::string) {
            ++outcomes;
            terminatedAtCompletion = thread.Terminated();
            if (!failed)
                delivered = std::move(result);
        };
        EXPECT_FALSE(thread.Terminated()); // created suspended
        thread.Start();
        while (!thread.WaitFor(50ms)) {
        }
        EXPECT_TRUE(thread.Terminated());
    }
    EXPECT_EQ(outcomes, 1);
    EXPECT_FALSE(terminatedAtCompletion);
    ASSERT_NE(dynamic_cast<TXrInt4*>(delivered.get()), nullptr);
}
