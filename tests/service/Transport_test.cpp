// What a slow, silent or oversized client gets, and that it holds no one else up.
#include "support/FindRequest.h"
#include "support/ServiceFixture.h"
#include "support/TlsTestClient.h"
#include "xmlrpc/BuildRequest.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/XrValues.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

class Transport : public ServiceFixture {
protected:
    void SetUp() override {
        ServiceFixture::SetUp();
        TServiceOptions options = DefaultOptions();
        options.IdleTimeout = 1000ms;
        options.RequestTimeout = 3000ms;
        options.MaxRequestBytes = 64 * 1024;
        Restart(options);
    }

    std::string OpenSessionDocument() {
        TXrArray params;
        params.AddString("demo");
        params.AddString("demo");
        return BuildRequest("StockService.OpenSession", params);
    }
};

TEST_F(Transport, ASilentClientIsDroppedAfterTheIdleTimeAndOthersAreServedMeanwhile) {
    std::promise<void> connected;
    auto silent = std::async(std::launch::async, [&, port = Port()] {
        return TlsExchange(port, "", 20s, 0ms, [&] { connected.set_value(); });
    });
    connected.get_future().wait();
    EXPECT_NO_THROW(OpenSession());
    TRawExchange exchange = silent.get();
    EXPECT_TRUE(exchange.ClosedByServer);
    EXPECT_TRUE(exchange.Received.empty());
    EXPECT_LT(exchange.Elapsed, 8s);
}

TEST_F(Transport, AClientThatNeverStartsTlsIsDropped) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(Port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    auto start = std::chrono::steady_clock::now();
    char byte;
    EXPECT_LE(::recv(fd, &byte, 1, 0), 0); // closed, not timed out on our side
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
    ::close(fd);
}

TEST_F(Transport, ADripFedRequestEndsAtTheRequestDeadline) {
    // A byte every 250 ms never trips the idle time, only the deadline.
    TRawExchange exchange = TlsExchange(Port(), HttpRequestFor(OpenSessionDocument()), 20s, 250ms);
    EXPECT_TRUE(exchange.ClosedByServer);
    EXPECT_TRUE(exchange.Received.empty());
    EXPECT_GE(exchange.Elapsed, 3s);
    EXPECT_LT(exchange.Elapsed, 10s);
}

TEST_F(Transport, OversizedAndUnreadableRequestsAreRefusedWithAFault) {
    std::string document = OpenSessionDocument();
    struct TCase {
        const char* Name;
        std::string Bytes;
        const char* Status;
    };
    std::string huge(1 << 20, 'x');
    const TCase cases[] = {
        {"announced huge", "POST HTTP/1.0\r\nContent-length: 1000000000\r\n\r\n" + document, "413"},
        {"sent huge",
         "POST HTTP/1.0\r\nContent-length: " + std::to_string(huge.size()) + "\r\n\r\n" + huge,
         "413"},
        {"length overflows", "POST HTTP/1.0\r\nContent-length: 99999999999999999999999\r\n\r\n",
         "411"},
        {"length negative", "POST HTTP/1.0\r\nContent-length: -5\r\n\r\n" + document, "411"},
        {"no length", "POST HTTP/1.0\r\n\r\n" + document, "411"},
        {"not a POST", "GET / HTTP/1.0\r\n\r\n", "405"},
        {"endless head", "POST HTTP/1.0\r\nX-Filler: " + std::string(40000, 'a'), "431"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TRawExchange exchange = TlsExchange(Port(), c.Bytes);
        EXPECT_EQ(exchange.Received.rfind(std::string("HTTP/1.0 ") + c.Status, 0), 0u)
            << exchange.Received.substr(0, 40);
        auto fault = ParseResponse(HttpBody(exchange.Received));
        EXPECT_TRUE(dynamic_cast<TXrFault*>(fault.get()));
        EXPECT_LT(exchange.Elapsed, 8s);
    }
    EXPECT_NO_THROW(OpenSession());
}

TEST_F(Transport, ABodyShorterThanAnnouncedEndsAtTheIdleTime) {
    std::string document = OpenSessionDocument();
    std::string request =
        "POST HTTP/1.0\r\nContent-length: " + std::to_string(document.size() + 100) + "\r\n\r\n" +
        document;
    TRawExchange exchange = TlsExchange(Port(), request);
    EXPECT_TRUE(exchange.ClosedByServer);
    EXPECT_TRUE(exchange.Received.empty());
    EXPECT_LT(exchange.Elapsed, 8s);
}

class Concurrency : public ServiceFixture {};

TEST_F(Concurrency, ManyClientsAtOnceAreAllServed) {
    std::vector<std::future<int>> clients;
    for (int i = 0; i < 8; ++i)
        clients.push_back(std::async(std::launch::async, [&, i] {
            int rows = 0;
            for (int n = 0; n < 4; ++n) {
                auto result =
                    Find(TFindRequest({2010 + i, 1 + n, 10}).Range("BETA", 0.5, 1.5).Build());
                if (result->GetBoolean("Error"))
                    return -1;
                rows += result->GetArray("Results").Count();
            }
            return rows;
        }));
    for (auto& client : clients)
        EXPECT_GT(client.get(), 0);
}

} // namespace

namespace {

TEST_F(Concurrency, StoppingDoesNotWaitForSilentClients) {
    // The default idle time is ten seconds; stopping must not sit it out.
    std::promise<void> connected;
    auto silent = std::async(std::launch::async, [&, port = Port()] {
        return TlsExchange(port, "", 20s, 0ms, [&] { connected.set_value(); });
    });
    connected.get_future().wait();
    auto start = std::chrono::steady_clock::now();
    TearDown();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_TRUE(silent.get().Received.empty());
}

} // namespace
