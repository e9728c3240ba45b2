#include "xmlrpc/Transport.h"

#include "support/ScriptedTlsServer.h"
#include "xmlrpc/BuildRequest.h"
#include "xmlrpc/RpcFault.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const std::string kOk = "<?xml version=\"1.0\"?>\r\n<methodResponse><params><param><value>"
                        "<string>tok-1</string></value></param></params></methodResponse>\r\n";

std::string FaultBody(int code, const std::string& text) {
    return "<?xml version=\"1.0\"?>\r\n<methodResponse><fault><value><struct>"
           "<member><name>faultCode</name><value><i4>" +
           std::to_string(code) +
           "</i4></value></member>"
           "<member><name>faultString</name><value><string>" +
           text + "</string></value></member></struct></value></fault></methodResponse>";
}

TTransportLimits ShortLimits() {
    TTransportLimits limits;
    limits.ConnectTimeout = 1500ms;
    limits.IdleTimeout = 400ms;
    limits.CallDeadline = 3000ms;
    return limits;
}

} // namespace

TEST(HttpRequest, BytesAreExact) {
    struct TCase {
        std::string Document, Host, Expected;
    } cases[] = {
        {"<x/>", "quotes.example.com",
         "POST HTTP/1.0\r\nUser-Agent: KQX-RPC\r\nHost: quotes.example.com\r\n"
         "Content-Type: text/xml\r\nContent-length: 4\r\n\r\n<x/>\r\n"},
        {"", "10.0.0.1", // no port in Host, empty document still framed
         "POST HTTP/1.0\r\nUser-Agent: KQX-RPC\r\nHost: 10.0.0.1\r\n"
         "Content-Type: text/xml\r\nContent-length: 0\r\n\r\n\r\n"},
        {"\xC3\xA9", "h", // length counts bytes, not characters
         "POST HTTP/1.0\r\nUser-Agent: KQX-RPC\r\nHost: h\r\n"
         "Content-Type: text/xml\r\nContent-length: 2\r\n\r\n\xC3\xA9\r\n"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(BuildHttpRequest(c.Document, c.Host), c.Expected) << c.Host;

    const std::string document(120, 'd');
    const std::string request = BuildHttpRequest(document, "h");
    EXPECT_NE(request.find("Content-length: 120\r\n"), std::string::npos);
    EXPECT_EQ(request.size() - (request.find("\r\n\r\n") + 4), 122u);
}

TEST(HttpResponse, BodyRule) {
    struct TCase {
        std::string Response, Body;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nA: b\r\n\r\n<r/>", "<r/>"},
        {"HTTP/1.0 200 OK\r\n\r\n<r/>\r\n", "<r/>"},
        {"HTTP/1.0 200 OK\r\n\r\n<r/>\r\n\r\n", "<r/>\r\n"},             // only one CR LF dropped
        {"HTTP/1.0 200 OK\r\n\r\nbody\r\n\r\nmore", "body\r\n\r\nmore"}, // first empty line
        {"abcdefg", "defg"}, // no empty line: first three bytes dropped
        {"ab", ""},
        {"abc\r\n", ""},
        {"", ""},
        {"\r\n\r\n", ""},
        {"HTTP/1.0 500 Internal\r\n\r\n\n", "\n"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ExtractResponseBody(c.Response), c.Body) << c.Response;
}

TEST(RpcCallArguments, FirstFailingCheckIsReportedAndNothingIsSent) {
    TScriptedTlsServer server;
    struct TCase {
        std::string Host, Method;
        std::uint16_t Port;
        std::string Message;
    } cases[] = {
        {"", "", 0, "Host parameter is empty in RpcCall"},
        {"127.0.0.1", "", 0, "MethodName parameter is empty in RpcCall"},
        {"127.0.0.1", "StockService.OpenSession", 0, "PortNo parameter is equal to 0 in RpcCall"},
    };
    const TXrArray params;
    for (const TCase& c : cases) {
        try {
            RpcCall(c.Host, c.Port, true, c.Method, params, ShortLimits());
            ADD_FAILURE() << c.Message;
        } catch (const ETransportError&) {
            ADD_FAILURE() << "transport error instead of a check error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message().rfind(c.Message + "\r\n\r\nIn module ", 0), 0u) << e.Message();
        }
    }
    EXPECT_EQ(server.Connections(), 0);
}

class TransportServer : public ::testing::TestWithParam<bool> {};

TEST_P(TransportServer, SendsTheRequestOnceAndReturnsTheValue) {
    TScriptedTlsServer server(GetParam());
    server.AnswerBody(kOk);
    TXrArray params;
    params.AddString("caf\xE9");
    std::unique_ptr<TXrValue> result = RpcCall("127.0.0.1", server.Port(), GetParam(),
                                               "StockService.OpenSession", params, ShortLimits());
    auto* text = dynamic_cast<TXrString*>(result.get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Value, "tok-1");
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0],
              BuildHttpRequest(BuildRequest("StockService.OpenSession", params), "127.0.0.1"));
    EXPECT_EQ(server.Connections(), 1);
}

INSTANTIATE_TEST_SUITE_P(PlainAndTls, TransportServer, ::testing::Values(true, false));

TEST(TransportAnswers, FaultsAndUnreadableAnswersBecomeRpcFaults) {
    struct TCase {
        const char* Name;
        TServerScript Script;
        int Code;
        std::string Text; // start of the message
    } cases[] = {
        {"fault with status 200",
         {{TServerStep::Send(TScriptedTlsServer::HttpAnswer(FaultBody(4, "Bad symbol")))}},
         4,
         "Bad symbol"},
        {"fault with status 500",
         {{TServerStep::Send(TScriptedTlsServer::HttpAnswer(FaultBody(4, "Bad symbol"),
                                                            "500 Internal Server Error"))}},
         4,
         "Bad symbol"},
        {"not XML", {{TServerStep::Send(TScriptedTlsServer::HttpAnswer("Bad gateway"))}}, 100, ""},
        {"closed in the middle of the body",
         {{TServerStep::Send(TScriptedTlsServer::HttpAnswer(kOk).substr(0, 90))}},
         100,
         ""},
        {"closed before answering", {}, 100, ""},
        {"close_notify after the answer",
         {{TServerStep::Send(TScriptedTlsServer::HttpAnswer(FaultBody(7, "x")))}, true},
         7,
         "x"},
    };
    for (const TCase& c : cases) {
        TScriptedTlsServer server;
        server.SetScript(c.Script);
        try {
            RpcCall("127.0.0.1", server.Port(), true, "StockService.FindStocks", TXrArray(),
                    ShortLimits());
            ADD_FAILURE() << c.Name;
        } catch (const ERpcFault& e) {
            EXPECT_EQ(e.FaultCode(), c.Code) << c.Name;
            EXPECT_EQ(e.Message().rfind(c.Text, 0), 0u) << c.Name << ": " << e.Message();
        }
        // Nothing is retried, whatever went wrong.
        EXPECT_EQ(server.Connections(), 1) << c.Name;
        EXPECT_EQ(server.Requests().size(), 1u) << c.Name;
    }
}

TEST(TransportAnswers, DripFedAnswerWithinTheDeadlineArrivesWhole) {
    TScriptedTlsServer server;
    const std::string answer = TScriptedTlsServer::HttpAnswer(kOk);
    server.SetScript({{TServerStep::Send(answer.substr(0, answer.size() - 12)),
                       TServerStep::Drip(answer.substr(answer.size() - 12), 20ms)}});
    auto result = RpcCall("127.0.0.1", server.Port(), true, "StockService.OpenSession", TXrArray(),
                          ShortLimits());
    ASSERT_NE(dynamic_cast<TXrString*>(result.get()), nullptr);
}

TEST(TransportFailures, StallsAndFloodsEndInTransportErrors) {
    TTransportLimits tiny = ShortLimits();
    tiny.MaxResponseBytes = 4096;
    TTransportLimits quick = ShortLimits();
    quick.ConnectTimeout = 500ms;
    quick.CallDeadline = 1200ms;
    struct TCase {
        const char* Name;
        TServerScript Script;
        TTransportLimits Limits;
        std::string Needle;
    } cases[] = {
        {"stall after the header",
         {{TServerStep::Send("HTTP/1.0 200 OK\r\n\r\n"), TServerStep::Pause(5s)}},
         ShortLimits(),
         "timed out after 400 ms without data"},
        // Every byte comes well inside the idle time-out; only the overall
        // deadline stops it.
        {"trickle",
         {{TServerStep::Drip(std::string(1000, ' '), 150ms)}},
         quick,
         "did not finish within 1200 ms"},
        {"no TLS handshake", {{}, false, true}, quick, "TLS handshake with 127.0.0.1 timed out"},
        {"oversized answer",
         {{TServerStep::Send(TScriptedTlsServer::HttpAnswer(std::string(10000, 'x')))}},
         tiny,
         "larger than 4096 bytes"},
    };
    for (const TCase& c : cases) {
        TScriptedTlsServer server;
        server.SetScript(c.Script);
        const auto start = std::chrono::steady_clock::now();
        try {
            HttpPost("<x/>", "127.0.0.1", server.Port(), true, c.Limits);
            ADD_FAILURE() << c.Name;
        } catch (const ETransportError& e) {
            EXPECT_NE(e.Message().find(c.Needle), std::string::npos)
                << c.Name << ": " << e.Message();
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, c.Limits.CallDeadline + 1s) << c.Name;
        EXPECT_EQ(server.Connections(), 1) << c.Name;
    }
}

TEST(TransportFailures, RefusedAndUnansweredConnectsAreTransportErrors) {
    // A port that was just free: the connection is refused.
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
    ::close(probe);
    EXPECT_THROW(HttpPost("<x/>", "127.0.0.1", ntohs(address.sin_port), true, ShortLimits()),
                 ETransportError);

    // A listener whose queue is full drops further connection attempts, so
    // the connect itself must time out.
    int full = ::socket(AF_INET, SOCK_STREAM, 0);
    address.sin_port = 0;
    ASSERT_EQ(::bind(full, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(full, 0), 0);
    length = sizeof address;
    ::getsockname(full, reinterpret_cast<sockaddr*>(&address), &length);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(filler);
    }
    TTransportLimits limits = ShortLimits();
    limits.ConnectTimeout = 300ms;
    const auto start = std::chrono::steady_clock::now();
    try {
        HttpPost("<x/>", "127.0.0.1", ntohs(address.sin_port), true, limits);
        ADD_FAILURE() << "connect did not time out";
    } catch (const ETransportError& e) {
        EXPECT_NE(e.Message().find("timed out"), std::string::npos) << e.Message();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    for (int filler : fillers)
        ::close(filler);
    ::close(full);
}
