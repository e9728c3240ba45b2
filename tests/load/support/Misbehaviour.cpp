#include "Misbehaviour.h"

#include "RawClient.h"
#include "xmlrpc/BuildRequest.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/Transport.h"
#include "xmlrpc/XrValues.h"

#include <stdexcept>

namespace {

using TClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const char* KindName(TMisbehaviourKind kind) {
    switch (kind) {
    case TMisbehaviourKind::mbDrip:
        return "drips its request";
    case TMisbehaviourKind::mbSilent:
        return "says nothing";
    case TMisbehaviourKind::mbOversizedBody:
        return "sends an oversized body";
    case TMisbehaviourKind::mbHugeLength:
        return "announces a huge body";
    case TMisbehaviourKind::mbHangUp:
        return "hangs up mid-request";
    }
    return "?";
}

std::string Head(std::size_t contentLength) {
    return "POST HTTP/1.0\r\nUser-Agent: KQX-RPC\r\nHost: 127.0.0.1\r\n"
           "Content-Type: text/xml\r\nContent-length: " +
           std::to_string(contentLength) + "\r\n\r\n";
}

std::string OpenSessionRequest() {
    TXrArray params;
    params.AddString("demo");
    params.AddString("demo");
    return BuildHttpRequest(BuildRequest("StockService.OpenSession", params), "127.0.0.1");
}

// "refused 413" from the status line of an answer, or what else came.
std::string Classify(const TRawReply& reply) {
    if (reply.Received.empty())
        return reply.ClosedByService ? "closed without an answer" : "no answer";
    std::string status = reply.Received.substr(0, reply.Received.find("\r\n"));
    if (status.rfind("HTTP/1.0 ", 0) != 0 || status.size() < 12)
        return "garbled answer";
    std::string code = status.substr(9, 3);
    return code == "200" ? "answered" : "refused " + code;
}

} // namespace

TMisbehavingClient::TMisbehavingClient(TMisbehaviourKind kind, std::uint16_t port,
                                       std::size_t maxRequestBytes)
    : FKind(kind), FPort(port), FMaxRequestBytes(maxRequestBytes) {
    FReport.Name = KindName(kind);
    FThread = std::thread([this] {
        while (!FStop) {
            auto start = TClock::now();
            std::string outcome;
            try {
                outcome = Attempt();
            } catch (const std::exception& e) {
                outcome = std::string("failed: ") + e.what();
            }
            if (FStop && outcome != "answered" && outcome.rfind("refused", 0) != 0)
                outcome = kInterrupted;
            auto ms = std::chrono::duration_cast<milliseconds>(TClock::now() - start).count();
            auto& tally = FReport.Outcomes[outcome];
            ++tally.Count;
            tally.MaxMs = std::max(tally.MaxMs, static_cast<long long>(ms));
            ++FReport.Attempts;
            ++FCompleted;
            // A pause between attempts: these clients probe the service, not flood it.
            for (int i = 0; i < 2 && !FStop; ++i)
                std::this_thread::sleep_for(milliseconds(100));
        }
    });
}

TMisbehavingClient::~TMisbehavingClient() {
    Stop();
}

void TMisbehavingClient::Stop() {
    FStop = true;
    if (FThread.joinable())
        FThread.join();
}

std::string TMisbehavingClient::Attempt() {
    TRawClient client(FPort, FStop);
    const milliseconds giveUp = std::chrono::seconds(60);
    switch (FKind) {
    case TMisbehaviourKind::mbDrip: {
        client.Handshake();
        client.SendSlowly(OpenSessionRequest(), milliseconds(10));
        TRawReply reply = client.ReadToEnd(giveUp);
        std::string outcome = Classify(reply);
        if (outcome == "answered") {
            // The session is real: give it back as the program would.
            auto token = ParseResponse(ExtractResponseBody(reply.Received));
            auto* text = dynamic_cast<TXrString*>(token.get());
            if (!text)
                return "answered without a token";
            TXrArray params;
            params.AddString(text->Value);
            RpcCall("127.0.0.1", FPort, true, "StockService.CloseSession", params);
        }
        return outcome;
    }
    case TMisbehaviourKind::mbSilent: {
        TRawReply reply = client.ReadToEnd(giveUp);
        return reply.ClosedByService && reply.Received.empty() ? "closed by the service"
                                                               : Classify(reply);
    }
    case TMisbehaviourKind::mbOversizedBody: {
        client.Handshake();
        std::size_t length = FMaxRequestBytes + 1;
        std::string request = Head(length);
        std::size_t bodyStart = request.size();
        request += "<?xml version=\"1.0\"?><methodCall><methodName>StockService.OpenSession"
                   "</methodName><params><param><value><string>";
        request.resize(bodyStart + length, 'x');
        client.Send(request); // the service may stop reading early; its answer counts
        return Classify(client.ReadToEnd(giveUp));
    }
    case TMisbehaviourKind::mbHugeLength: {
        client.Handshake();
        client.Send(Head(std::size_t(1) << 40) + "<?xml version=\"1.0\"?><methodCall>");
        return Classify(client.ReadToEnd(giveUp));
    }
    case TMisbehaviourKind::mbHangUp: {
        client.Handshake();
        std::string body(1000, ' ');
        client.Send(Head(4000) + body);
        std::this_thread::sleep_for(milliseconds(50));
        client.Reset();
        return "hung up";
    }
    }
    return "?";
}
