// The client against services that misbehave on purpose.  Every call must end
// in a clear error within its time-out, and the waiting window stays alive.
#include "support/HostileServer.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/RpcCallThread.h"
#include "xmlrpc/RpcFault.h"
#include "xmlrpc/Transport.h"
#include "xmlrpc/XrValues.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

using namespace std::chrono_literals;
using testing::HasSubstr;

namespace {

using TClock = std::chrono::steady_clock;

const std::string kHost = "127.0.0.1";
const std::string kHead = "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n"
                          "<?xml version=\"1.0\"?><methodResponse><params><param>";
const std::string kTail = "</param></params></methodResponse>";

// Short bounds keep the suite at a few seconds; the production defaults are
// the same code with larger numbers.
TTransportLimits ShortLimits() {
    TTransportLimits limits;
    limits.ConnectTimeout = 1000ms;
    limits.IdleTimeout = 1000ms;
    limits.CallDeadline = 3000ms;
    limits.MaxResponseBytes = std::size_t(8) << 20;
    return limits;
}

struct TOutcome {
    enum TKind { okValue, okTransportError, okFault, okOtherError } Kind;
    std::string Text; // error message, or the string answered
    int FaultCode = 0;
    std::chrono::milliseconds Elapsed{};
};

TOutcome Call(const THostileServer& server, const TTransportLimits& limits) {
    TXrArray params;
    params.AddString("token");
    const auto start = TClock::now();
    TOutcome outcome{TOutcome::okOtherError, {}};
    try {
        auto value =
            RpcCall(kHost, server.Port(), true, "StockService.GetStockInfoSites", params, limits);
        auto* text = dynamic_cast<TXrString*>(value.get());
        outcome = {TOutcome::okValue, text ? text->Value : "(not a string)"};
    } catch (const ETransportError& e) {
        outcome = {TOutcome::okTransportError, e.Message()};
    } catch (const ERpcFault& e) {
        outcome = {TOutcome::okFault, e.Message(), e.FaultCode()};
    } catch (const Exception& e) {
        outcome = {TOutcome::okOtherError, e.Message()};
    }
    outcome.Elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start);
    return outcome;
}

// Sends `count` copies of `piece` without ever holding more than a chunk.
bool Stream(THostileConnection& peer, const std::string& piece, std::size_t count) {
    std::string chunk;
    const std::size_t perChunk = std::max<std::size_t>(1, (64 << 10) / piece.size());
    for (std::size_t i = 0; i < perChunk; ++i)
        chunk += piece;
    for (std::size_t sent = 0; sent < count; sent += perChunk) {
        const std::size_t n = std::min(perChunk, count - sent);
        if (!peer.Send(std::string_view(chunk).substr(0, n * piece.size())))
            return false;
    }
    return true;
}

std::string Laughs() {
    std::string dtd = "<!DOCTYPE methodResponse [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'j'; ++c) {
        const std::string ref = std::string("&") + char(c - 1) + ";";
        dtd += std::string("<!ENTITY ") + c + " \"" + ref + ref + ref + ref + ref + ref + ref +
               ref + ref + ref + "\">";
    }
    return dtd + "]>";
}

struct TCase {
    const char* Label;
    THostileOptions Options;
    std::function<void(THostileConnection&)> Handler;
    TTransportLimits Limits;
    TOutcome::TKind Kind;
    std::string Text;                 // expected in the message (or the value)
    std::chrono::milliseconds Within; // the bound that must end the call
};

} // namespace

TEST(HostilePeer, EveryMisbehaviourEndsInAClearErrorWithinItsTimeOut) {
    const TTransportLimits limits = ShortLimits();
    TTransportLimits roomy = limits;
    roomy.MaxResponseBytes = std::size_t(64) << 20;
    TTransportLimits patient = limits; // each dripped byte comes within the idle bound
    patient.IdleTimeout = 2000ms;
    THostileOptions silent;
    silent.Silent = true;
    THostileOptions plain;
    plain.UseTls = false;
    THostileOptions otherCipher;
    otherCipher.Ciphers = "ADH-AES128-SHA256:@SECLEVEL=0";

    const TCase cases[] = {
        {"accepts, never shakes hands", silent, nullptr, limits, TOutcome::okTransportError,
         "TLS handshake with 127.0.0.1 timed out.", limits.ConnectTimeout},
        {"reads the request, never answers",
         {},
         [](THostileConnection& peer) {
             peer.ReadRequest();
             peer.HoldOpen();
         },
         limits,
         TOutcome::okTransportError,
         "Waiting for the answer of 127.0.0.1 timed out after 1 s without data.",
         limits.IdleTimeout},
        {"drips a byte per second",
         {},
         [](THostileConnection& peer) {
             peer.ReadRequest();
             for (char c : kHead) {
                 if (!peer.Send(std::string(1, c)))
                     return;
                 peer.Sleep(1000ms);
             }
         },
         patient,
         TOutcome::okTransportError,
         "The call to 127.0.0.1 did not finish within 3 s.",
         limits.CallDeadline},
        {"resets mid-answer",
         {},
         [](THostileConnection& peer) {
             peer.ReadRequest();
             peer.Send(kHead + "<value><string>half an ans");
             peer.Sleep(100ms);
             peer.Reset();
         },
         limits,
         TOutcome::okTransportError,
         "",
         limits.IdleTimeout},
        {"answers 1 GB",
         {},
         [](THostileConnection& peer) {
             peer.ReadRequest();
             if (peer.Send(kHead + "<value><string>"))
                 Stream(peer, std::string(1024, 'x'), std::size_t(1) << 20);
         },
         limits,
         TOutcome::okTransportError,
         "The answer of 127.0.0.1 is larger than 8388608 bytes; the call was abandoned.",
         limits.CallDeadline},
        {"nests a million levels deep",
         {},
         [](THostileConnection& peer) {
             peer.ReadRequest();
             if (peer.Send(kHead))
                 Stream(peer, "<value><array><data>", 1000000);
         },
         roomy,
         TOutcome::okFault,
         "values nested too deeply.",
         limits.CallDeadline},
        {"entity bomb in a document type declaration",
         {},
         [](THostileConnection& peer) {
             peer.ReadRequest();
             peer.Send("HTTP/1.0 200 OK\r\n\r\n<?xml version=\"1.0\"?>" + Laughs() +
                       "<methodResponse><params><param><value><string>&j;</string></value>" +
                       kTail);
         },
         limits,
         TOutcome::okFault,
         "expected start tag.",
         limits.IdleTimeout},
        {"invalid UTF-8 in a tag",
         {},
         [](THostileConnection& peer) {
             peer.ReadRequest();
             peer.Send(kHead + "<value><str\xC3\x28ing>x</str\xC3\x28ing></value>" + kTail);
         },
         limits,
         TOutcome::okFault,
         "",
         limits.IdleTimeout},
        {"plain text, no TLS", plain,
         [](THostileConnection& peer) {
             peer.ReadSome();
             peer.Send(
                 "HTTP/1.0 400 Bad Request\r\nContent-Type: text/plain\r\n\r\nNo TLS here.\r\n");
         },
         limits, TOutcome::okTransportError, "TLS handshake failed", limits.ConnectTimeout},
        {"offers another cipher", otherCipher, [](THostileConnection&) {}, limits,
         TOutcome::okTransportError, "TLS handshake failed", limits.ConnectTimeout},
    };
    // A loaded machine may be late by this much; a hang is not.
    const auto slack = 2000ms;
    for (const TCase& c : cases) {
        THostileServer server(c.Handler, c.Options);
        const TOutcome outcome = Call(server, c.Limits);
        EXPECT_EQ(outcome.Kind, c.Kind) << c.Label << ": " << outcome.Text;
        EXPECT_THAT(outcome.Text, HasSubstr(c.Text)) << c.Label;
        EXPECT_FALSE(outcome.Text.empty()) << c.Label;
        if (c.Kind == TOutcome::okFault) {
            EXPECT_EQ(outcome.FaultCode, 100) << c.Label;
        }
        EXPECT_LE(outcome.Elapsed, c.Within + slack) << c.Label;
    }
}

TEST(HostilePeer, InvalidUtf8InTextArrivesReplacedNotDropped) {
    THostileServer server([](THostileConnection& peer) {
        peer.ReadRequest();
        peer.Send(kHead +
                  "<value><string>a\xC3z\xFF\xED\xA0\x80"
                  "b</string></value>" +
                  kTail);
    });
    const TOutcome outcome = Call(server, ShortLimits());
    ASSERT_EQ(outcome.Kind, TOutcome::okValue) << outcome.Text;
    EXPECT_EQ(outcome.Text.front(), 'a');
    EXPECT_EQ(outcome.Text.back(), 'b');
    EXPECT_NE(outcome.Text.find('z'), std::string::npos) << outcome.Text;
    EXPECT_EQ(outcome.Text.find_first_not_of("abz\xBF"), std::string::npos) << outcome.Text;
}

TEST(HostilePeer, WindowStaysUsableWhileAndAfterAPeerStalls) {
    THostileServer server([](THostileConnection& peer) {
        peer.ReadRequest();
        peer.HoldOpen();
    });
    QPushButton button("Search");
    button.show();
    QSignalSpy clicks(&button, &QPushButton::clicked);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);

    TXrArray params;
    params.AddString("token");
    std::string message;
    try {
        RpcCallInThread(
            kHost, server.Port(), true, "StockService.GetStockInfoSites", params,
            [] { QApplication::processEvents(); }, ShortLimits());
    } catch (const Exception& e) {
        message = e.Message();
    }
    EXPECT_THAT(message, HasSubstr("timed out after 1 s without data."));
    EXPECT_GE(ticks, 10) << "timers stalled while the call waited";
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
}
