// methodCall documents as any client could post them to the reference
// service.  The service answers every document with a response its clients
// can read and never throws; the FindStocks request reader only refuses.
#include "FuzzCheck.h"
#include "service/DemoData.h"
#include "service/FindStocksReader.h"
#include "service/StockService.h"
#include "support/Exception.h"
#include "xmlrpc/MethodCall.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/XrValues.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace {

TStockService& Service() {
    static TStockService* service = [] {
        // A few stocks are enough to run every search path.
        const auto path = std::filesystem::temp_directory_path() /
                          ("qb-fuzz-" + std::to_string(::getpid()) + ".sqlite");
        TDemoDataOptions data;
        data.StockCount = 40;
        data.LastDay = QDate(2026, 6, 30);
        CreateDemoDatabase(path.string(), data);
        TServiceOptions options;
        options.DatabasePath = path.string();
        options.Accounts = {{"demo", "demo"}};
        options.LogCalls = false;
        auto* made = new TStockService(options);
        std::filesystem::remove(path); // SQLite keeps the open file
        return made;
    }();
    return *service;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    TCallOutcome outcome;
    const std::string answer = Service().Handle(text, outcome);
    FUZZ_CHECK(!outcome.Method.empty() && !outcome.Outcome.empty());
    // The answer is a document the client reads: a value or a fault.
    try {
        FUZZ_CHECK(ParseResponse(answer) != nullptr);
    } catch (const Exception& e) {
        std::fprintf(stderr, "unreadable answer: %s\n%s\n", e.what(), answer.c_str());
        FUZZ_CHECK(false);
    }

    // The search reader directly, without needing a session token.
    if (!NestingWithin(text, MaxRequestNesting))
        return 0;
    try {
        TXrMethodCall call = ParseMethodCall(text);
        for (int i = 1; i <= call.Params->Count(); ++i)
            if (auto* request = dynamic_cast<const TXrStruct*>(call.Params->Item(i)))
                ReadFindStocksRequest(*request);
    } catch (const Exception&) {
    }
    return 0;
}
