#include "Probe.h"

#include "xmlrpc/Transport.h"
#include "xmlrpc/XrValues.h"

TProbe::TProbe(std::uint16_t port, std::chrono::milliseconds period)
    : FPort(port), FPeriod(period) {
    FThread = std::thread([this] {
        using TClock = std::chrono::steady_clock;
        auto next = TClock::now();
        auto lastAnswer = next;
        while (!FStop) {
            auto start = TClock::now();
            try {
                TXrArray credentials;
                credentials.AddString("demo");
                credentials.AddString("demo");
                auto token =
                    RpcCall("127.0.0.1", FPort, true, "StockService.OpenSession", credentials);
                auto answered = TClock::now();
                FLatencyMs.push_back(
                    std::chrono::duration<double, std::milli>(answered - start).count());
                FLongestSilence = std::max(
                    FLongestSilence,
                    std::chrono::duration_cast<std::chrono::milliseconds>(answered - lastAnswer));
                lastAnswer = answered;
                auto* text = dynamic_cast<TXrString*>(token.get());
                if (!text)
                    throw std::runtime_error("no token");
                TXrArray params;
                params.AddString(text->Value);
                RpcCall("127.0.0.1", FPort, true, "StockService.CloseSession", params);
            } catch (const std::exception& e) {
                FFailures.push_back(e.what());
            }
            next += FPeriod;
            // A slow answer delays the next probe instead of bunching them up.
            next = std::max(next, TClock::now());
            while (!FStop && TClock::now() < next)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
}

TProbe::~TProbe() {
    Stop();
}

void TProbe::Stop() {
    FStop = true;
    if (FThread.joinable())
        FThread.join();
}
