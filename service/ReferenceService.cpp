#include "service/ReferenceService.h"

#include "service/StockService.h"
#include "service/TlsServer.h"

#include <chrono>
#include <cstdio>
#include <mutex>

namespace {

// Whole lines to stderr, never interleaved.
void LogLine(const std::string& line) {
    static std::mutex lock;
    std::lock_guard guard(lock);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace

struct TReferenceService::TImpl {
    explicit TImpl(TServiceOptions options) : Options(std::move(options)) {}

    TServiceOptions Options;
    std::unique_ptr<TStockService> Service;
    std::unique_ptr<TTlsServer> Server;
};

TReferenceService::TReferenceService(TServiceOptions options)
    : FImpl(std::make_unique<TImpl>(std::move(options))) {}

TReferenceService::~TReferenceService() {
    Stop();
}

void TReferenceService::Start() {
    Stop();
    FImpl->Service = std::make_unique<TStockService>(FImpl->Options);
    bool log = FImpl->Options.LogCalls;
    auto sink = FImpl->Options.LogSink ? FImpl->Options.LogSink : LogLine;
    TStockService& service = *FImpl->Service;
    auto handler = [&service, log, sink](std::string_view body) {
        auto start = std::chrono::steady_clock::now();
        TCallOutcome outcome;
        std::string answer = service.Handle(body, outcome);
        if (log) {
            double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            char duration[32];
            std::snprintf(duration, sizeof duration, "%.1f ms", ms);
            sink(outcome.Method + " " + duration + " " + outcome.Outcome);
        }
        return answer;
    };
    auto logger = [log, sink](const std::string& line) {
        if (log)
            sink(line);
    };
    FImpl->Server = std::make_unique<TTlsServer>(FImpl->Options, handler, logger);
    FImpl->Server->Start();
}

void TReferenceService::Stop() {
    if (FImpl->Server)
        FImpl->Server->Stop();
    FImpl->Server.reset();
    FImpl->Service.reset();
}

std::uint16_t TReferenceService::Port() const {
    return FImpl->Server ? FImpl->Server->Port() : 0;
}
