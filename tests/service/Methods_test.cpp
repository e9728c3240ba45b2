// Sessions, information sites and faults, end to end over TLS.
#include "support/ServiceFixture.h"
#include "support/TlsTestClient.h"
#include "xmlrpc/Faults.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/Transport.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

#include <mutex>

namespace {

class Methods : public ServiceFixture {};

std::unique_ptr<TXrArray> Strings(std::initializer_list<std::string> items) {
    auto params = std::make_unique<TXrArray>();
    for (const auto& item : items)
        params->AddString(item);
    return params;
}

const TXrFault* AsFault(const std::unique_ptr<TXrValue>& value) {
    return dynamic_cast<const TXrFault*>(value.get());
}

TEST_F(Methods, OpenSessionChecksTheCredentials) {
    auto demo = Call("StockService.OpenSession", *Strings({"demo", "demo"}));
    auto* token = dynamic_cast<TXrString*>(demo.get());
    ASSERT_TRUE(token);
    EXPECT_EQ(token->Value.size(), 32u);
    auto again = Call("StockService.OpenSession", *Strings({"alice", "s3cret:with colon"}));
    ASSERT_TRUE(dynamic_cast<TXrString*>(again.get()));
    EXPECT_NE(static_cast<TXrString*>(again.get())->Value, token->Value);

    struct TCase {
        const char* Name;
        std::unique_ptr<TXrArray> Params;
        int Code;
    };
    TCase cases[] = {
        {"wrong password", Strings({"demo", "Demo"}), 7},
        {"unknown user", Strings({"mallory", "demo"}), 7},
        {"password of another user", Strings({"demo", "s3cret:with colon"}), 7},
        {"empty", Strings({"", ""}), 7},
        {"one parameter", Strings({"demo"}), 6},
        {"no parameter", Strings({}), 6},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto result = Call("StockService.OpenSession", *c.Params);
        ASSERT_TRUE(AsFault(result));
        EXPECT_EQ(AsFault(result)->FaultCode, c.Code);
    }
    TXrArray numbers;
    numbers.Add(std::make_unique<TXrInt4>(1));
    numbers.Add(std::make_unique<TXrInt4>(2));
    auto typed = Call("StockService.OpenSession", numbers);
    ASSERT_TRUE(AsFault(typed));
    EXPECT_EQ(AsFault(typed)->FaultCode, 6);
}

TEST_F(Methods, CloseSessionEndsTheSessionOnce) {
    std::string token = OpenSession();
    auto sites = Call("StockService.GetStockInfoSites", *Strings({token}));
    ASSERT_TRUE(dynamic_cast<TXrArray*>(sites.get()));

    auto closed = Call("StockService.CloseSession", *Strings({token}));
    EXPECT_FALSE(AsFault(closed));
    auto twice = Call("StockService.CloseSession", *Strings({token}));
    ASSERT_TRUE(AsFault(twice));
    EXPECT_EQ(AsFault(twice)->FaultCode, 1);
    auto after = Call("StockService.GetStockInfoSites", *Strings({token}));
    ASSERT_TRUE(AsFault(after));
    EXPECT_EQ(AsFault(after)->FaultCode, 1);
}

TEST_F(Methods, InfoSitesAndTheirAddresses) {
    std::string token = OpenSession();
    auto sites = Call("StockService.GetStockInfoSites", *Strings({token}));
    auto* list = dynamic_cast<TXrArray*>(sites.get());
    ASSERT_TRUE(list);
    ASSERT_GE(list->Count(), 2);
    for (int i = 1; i <= list->Count(); ++i) {
        std::string site = list->StringItem(i);
        SCOPED_TRACE(site);
        auto answer =
            Call("StockService.GetStockInfoURL", *Strings({token, "CA", "AB&C D", "TSX-V", site}));
        auto* result = dynamic_cast<TXrStruct*>(answer.get());
        ASSERT_TRUE(result);
        EXPECT_FALSE(result->GetBoolean("Error"));
        std::string url = result->GetString("URL");
        EXPECT_EQ(url.rfind("https://", 0), 0u) << url;
        // The values sit in the address encoded: they cannot add parameters.
        EXPECT_NE(url.find("AB%26C%20D"), std::string::npos) << url;
        EXPECT_EQ(url.find("AB&C"), std::string::npos) << url;
        EXPECT_NE(url.find("TSX-V"), std::string::npos) << url;
    }
    struct TCase {
        const char* Name;
        std::string Token, Site;
        int Code;
    } cases[] = {{"unknown site", token, "No such site", 5}, {"bad session", "nope", "Charts", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto answer =
            Call("StockService.GetStockInfoURL", *Strings({c.Token, "US", "ABC", "NYSE", c.Site}));
        auto* result = dynamic_cast<TXrStruct*>(answer.get());
        ASSERT_TRUE(result);
        EXPECT_TRUE(result->GetBoolean("Error"));
        EXPECT_EQ(result->GetInteger("ErrorCode"), c.Code);
        EXPECT_EQ(result->GetString("URL"), "");
    }
}

TEST_F(Methods, DocumentsTheServiceCannotServeBecomeFaults) {
    struct TCase {
        const char* Name;
        std::string Document;
        int Code;
    };
    std::string deep = "<?xml version=\"1.0\"?><methodCall><methodName>StockService.FindStocks"
                       "</methodName><params><param><value>";
    for (int i = 0; i < 5000; ++i)
        deep += "<array><data><value>";
    const TCase cases[] = {
        {"unknown method",
         "<?xml version=\"1.0\"?><methodCall><methodName>StockService.Shutdown</methodName>"
         "<params></params></methodCall>",
         8},
        {"not XML-RPC", "<html><body>hello</body></html>", 100},
        {"empty", "", 100},
        {"nested without end", deep, 100},
        {"bad integer",
         "<?xml version=\"1.0\"?><methodCall><methodName>StockService.OpenSession</methodName>"
         "<params><param><value><i4>12x</i4></value></param></params></methodCall>",
         6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TRawExchange exchange = TlsExchange(Port(), HttpRequestFor(c.Document));
        EXPECT_EQ(exchange.Received.rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
        auto value = ParseResponse(HttpBody(exchange.Received));
        ASSERT_TRUE(AsFault(value));
        EXPECT_EQ(AsFault(value)->FaultCode, c.Code);
    }
}

TEST_F(Methods, TheClientLibraryTalksToTheService) {
    TXrArray credentials;
    credentials.AddString("demo");
    credentials.AddString("demo");
    auto token = RpcCall("127.0.0.1", Port(), true, "StockService.OpenSession", credentials);
    ASSERT_TRUE(dynamic_cast<TXrString*>(token.get()));
    TXrArray params;
    params.AddString(static_cast<TXrString*>(token.get())->Value);
    auto sites = RpcCall("127.0.0.1", Port(), true, "StockService.GetStockInfoSites", params);
    ASSERT_TRUE(dynamic_cast<TXrArray*>(sites.get()));
    EXPECT_GE(static_cast<TXrArray*>(sites.get())->Count(), 2);
    RpcCall("127.0.0.1", Port(), true, "StockService.CloseSession", params);

    TXrArray wrong;
    wrong.AddString("demo");
    wrong.AddString("wrong");
    try {
        RpcCall("127.0.0.1", Port(), true, "StockService.OpenSession", wrong);
        FAIL() << "bad credentials were accepted";
    } catch (const ERpcFault& fault) {
        EXPECT_EQ(fault.FaultCode(), 7);
        EXPECT_EQ(fault.Message(), "Invalid user name or password");
    }
}

TEST_F(Methods, EveryCallIsLoggedWithMethodDurationAndOutcome) {
    auto lines = std::make_shared<std::vector<std::string>>();
    auto lock = std::make_shared<std::mutex>();
    TServiceOptions options = DefaultOptions();
    options.LogCalls = true;
    options.LogSink = [lines, lock](const std::string& line) {
        std::lock_guard guard(*lock);
        lines->push_back(line);
    };
    Restart(options);
    std::string token = OpenSession();
    Call("StockService.OpenSession", *Strings({"demo", "wrong"}));
    Call("StockService.GetStockInfoURL", *Strings({token, "US", "A", "NYSE", "nowhere"}));
    TlsExchange(Port(), "POST HTTP/1.0\r\n\r\n");
    Restart(DefaultOptions()); // every connection has ended

    // Method, duration, outcome.
    struct TLine {
        const char* Method;
        const char* Outcome;
    };
    const TLine expected[] = {
        {"StockService.OpenSession ", " ms ok"},
        {"StockService.OpenSession ", " ms fault 7: Invalid user name or password"},
        {"StockService.GetStockInfoURL ", " ms refused 5: Unknown information site nowhere"},
        {"- ", " ms refused: Content-length missing or malformed"},
    };
    ASSERT_EQ(lines->size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const std::string& line = (*lines)[i];
        std::string method = expected[i].Method, outcome = expected[i].Outcome;
        ASSERT_EQ(line.rfind(method, 0), 0u) << line;
        std::size_t end = line.find(outcome, method.size());
        ASSERT_NE(end, std::string::npos) << line;
        EXPECT_EQ(end + outcome.size(), line.size()) << line;
        std::string duration = line.substr(method.size(), end - method.size());
        EXPECT_FALSE(duration.empty());
        EXPECT_EQ(duration.find_first_not_of("0123456789."), std::string::npos) << line;
    }
}

} // namespace
