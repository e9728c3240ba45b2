#include "xmlrpc/HostLookup.h"

#include "xmlrpc/Transport.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <netdb.h>
#include <netinet/in.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

std::atomic<int> SlowLookupsFinished{0};

// Every name is 127.0.0.1.
int LoopbackResolver(const char*, const char* service, const addrinfo* hints, addrinfo** found) {
    return ::getaddrinfo("127.0.0.1", service, hints, found);
}

// A resolver whose server does not answer in time, as on a dead network.
int SlowResolver(const char* host, const char* service, const addrinfo* hints, addrinfo** found) {
    std::this_thread::sleep_for(3s);
    const int rc = LoopbackResolver(host, service, hints, found);
    ++SlowLookupsFinished;
    return rc;
}

int UnknownNameResolver(const char*, const char*, const addrinfo*, addrinfo**) {
    return EAI_NONAME;
}

class HostLookup : public ::testing::Test {
protected:
    void TearDown() override { SetHostResolverForTesting(nullptr); }
};

std::string FirstAddress(const TAddrInfoList& list) {
    const auto* address = reinterpret_cast<const sockaddr_in*>(list->ai_addr);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address->sin_port));
}

} // namespace

TEST_F(HostLookup, AnswersAndRefusals) {
    SetHostResolverForTesting(LoopbackResolver);
    EXPECT_EQ(FirstAddress(LookUpHost("quotes.example", 8443, TClock::now() + 5s)),
              "127.0.0.1:8443");

    // Numbers need no resolver: a failing one is never asked.
    SetHostResolverForTesting(UnknownNameResolver);
    EXPECT_EQ(FirstAddress(LookUpHost("127.0.0.1", 9, TClock::now() + 5s)), "127.0.0.1:9");
    try {
        LookUpHost("nowhere.example", 9, TClock::now() + 5s);
        ADD_FAILURE() << "resolved";
    } catch (const ETransportError& e) {
        EXPECT_EQ(e.Message(), std::string("Cannot resolve host name nowhere.example: ") +
                                   ::gai_strerror(EAI_NONAME) + ".");
    }
}

// A resolver that does not answer must not hold the caller past the connect
// time-out; the abandoned lookup finishes and frees its answer on its own
// (the leak checker of the sanitized build watches that).
TEST_F(HostLookup, SlowResolverEndsTheCallAtTheConnectTimeout) {
    SetHostResolverForTesting(SlowResolver);
    const int finishedBefore = SlowLookupsFinished;
    TTransportLimits limits;
    limits.ConnectTimeout = 200ms;
    const auto start = TClock::now();
    try {
        RpcCall("slow.example", 9, true, "StockService.OpenSession", TXrArray(), limits);
        ADD_FAILURE() << "answered";
    } catch (const ETransportError& e) {
        EXPECT_EQ(e.Message(), "Looking up host name slow.example timed out.");
    }
    EXPECT_LT(TClock::now() - start, 2s);

    const auto giveUp = TClock::now() + 10s;
    while (SlowLookupsFinished == finishedBefore && TClock::now() < giveUp)
        std::this_thread::sleep_for(10ms);
    EXPECT_GT(SlowLookupsFinished, finishedBefore);
}
