#include "ServiceFixture.h"

#include "TlsTestClient.h"
#include "service/DemoData.h"
#include "xmlrpc/XrValues.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

const std::string& TestDatabasePath() {
    static const std::string path = [] {
        std::string target = std::string(QB_BINARY_DIR) + "/tests/service/demo-300.sqlite";
        if (!std::filesystem::exists(target)) {
            // Test programs may run side by side: write aside, then rename.
            std::string scratch = target + ".tmp" + std::to_string(::getpid());
            TDemoDataOptions options;
            options.StockCount = 300;
            options.LastDay = QDate(2026, 6, 30);
            CreateDemoDatabase(scratch, options);
            std::filesystem::rename(scratch, target);
        }
        return target;
    }();
    return path;
}

TServiceOptions ServiceFixture::DefaultOptions() const {
    TServiceOptions options;
    options.DatabasePath = TestDatabasePath();
    options.Accounts = {{"demo", "demo"}, {"alice", "s3cret:with colon"}};
    options.LogCalls = std::getenv("QB_SERVICE_LOG") != nullptr; // for debugging
    return options;
}

void ServiceFixture::SetUp() {
    Restart(DefaultOptions());
}

void ServiceFixture::TearDown() {
    FService.reset();
}

void ServiceFixture::Restart(const TServiceOptions& options) {
    FService.reset();
    FService = std::make_unique<TReferenceService>(options);
    FService->Start();
}

std::unique_ptr<TXrValue> ServiceFixture::Call(const std::string& method, const TXrArray& params) {
    return CallService(Port(), method, params);
}

std::string ServiceFixture::OpenSession() {
    TXrArray params;
    params.AddString("demo");
    params.AddString("demo");
    auto result = Call("StockService.OpenSession", params);
    auto* token = dynamic_cast<TXrString*>(result.get());
    if (!token)
        throw std::runtime_error("OpenSession gave no token");
    return token->Value;
}

std::unique_ptr<TXrStruct> ServiceFixture::Find(std::unique_ptr<TXrStruct> request) {
    TXrArray params;
    params.AddString(OpenSession());
    params.Add(std::move(request));
    auto result = Call("StockService.FindStocks", params);
    if (!dynamic_cast<TXrStruct*>(result.get()))
        throw std::runtime_error("FindStocks gave no struct");
    return std::unique_ptr<TXrStruct>(static_cast<TXrStruct*>(result.release()));
}
