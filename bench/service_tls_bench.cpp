// What certificate checking costs a call: one OpenSession over loopback
// against the reference service, anonymous (ADH, TLS 1.2) and verified (the
// service's certificate, TLS 1.3, checked against a CA file).  A small demo
// database is made in a temporary folder.
#include "../tests/xmlrpc/support/TestCertificates.h"
#include "service/DemoData.h"
#include "service/ReferenceService.h"
#include "xmlrpc/Transport.h"
#include "xmlrpc/XrValues.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const std::string& DatabasePath() {
    static const std::string path = [] {
        const std::string p = qbtest::TTestCertificates::Get().Directory + "/bench.sqlite";
        TDemoDataOptions options;
        options.StockCount = 20;
        options.LastDay = QDate(2026, 6, 30);
        CreateDemoDatabase(p, options);
        return p;
    }();
    return path;
}

void OpenSession(benchmark::State& state, bool verified) {
    const qbtest::TTestCertificates& certs = qbtest::TTestCertificates::Get();
    TServiceOptions options;
    options.DatabasePath = DatabasePath();
    options.Accounts = {DemoAccount()};
    options.LogCalls = false;
    TTlsOptions tls;
    if (verified) {
        options.CertFile = certs.Localhost.Cert;
        options.KeyFile = certs.Localhost.Key;
        tls = {TTlsOptions::TMode::Verified, certs.CaFile};
    }
    TReferenceService service(options);
    service.Start();
    TXrArray params;
    params.AddString(DemoAccount().UserName);
    params.AddString(DemoAccount().Password);
    for (auto _ : state) {
        std::unique_ptr<TXrValue> token =
            RpcCall("localhost", service.Port(), true, "StockService.OpenSession", params,
                    DefaultTransportLimits(), tls);
        benchmark::DoNotOptimize(token);
    }
}

void BM_OpenSessionAnonymous(benchmark::State& state) {
    OpenSession(state, false);
}
void BM_OpenSessionVerified(benchmark::State& state) {
    OpenSession(state, true);
}

BENCHMARK(BM_OpenSessionAnonymous)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenSessionVerified)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
