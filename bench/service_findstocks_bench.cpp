// Searches over the full demo universe: server time of one FindStocks call
// with five criteria, a call over TLS with the client library, and eight
// clients at once.  The demo database is made on first use at
// $QB_BENCH_DB (default /tmp/quillbrook-bench-demo.sqlite).
#include "service/DemoData.h"
#include "service/FindStocksRequest.h"
#include "service/ReferenceService.h"
#include "service/StockSearch.h"
#include "service/StockService.h"
#include "support/DayNumbers.h"
#include "xmlrpc/BuildRequest.h"
#include "xmlrpc/Transport.h"
#include "xmlrpc/XrValues.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

const std::string& DatabasePath() {
    static const std::string path = [] {
        const char* given = std::getenv("QB_BENCH_DB");
        std::string p = given ? given : "/tmp/quillbrook-bench-demo.sqlite";
        if (!std::filesystem::exists(p))
            CreateDemoDatabase(p);
        return p;
    }();
    return path;
}

TServiceOptions Options() {
    TServiceOptions options;
    options.DatabasePath = DatabasePath();
    options.Accounts = {DemoAccount()};
    options.LogCalls = false;
    options.MaxRows = 2000;
    return options;
}

TFindStocksRequest FiveCriteria() {
    TFindStocksRequest request;
    request.TradeDate = "2026-01-15";
    TCriterion range;
    range.ColumnName = "MARKETCAP";
    range.Kind = TCriterionKind::ctRange;
    range.MinValue = 1e8;
    range.MaxValue = 9999999999999;
    TCriterion pe = range;
    pe.ColumnName = "PETRAILING12MONTHS";
    pe.MinValue = 0;
    pe.MaxValue = 30;
    TCriterion relative;
    relative.ColumnName = "PRICE52WEEKHIGH";
    relative.Kind = TCriterionKind::ctRelative;
    relative.HigherThan = true;
    relative.RelativeValue = 10;
    relative.RelativeColumn = "CLOSINGPRICE";
    TCriterion list;
    list.ColumnName = "EXCHANGE";
    list.Kind = TCriterionKind::ctValueList;
    list.Values = {"NYSE", "NASDAQ", "TSX"};
    TCriterion dates;
    dates.ColumnName = "EXDIVIDENDDATE";
    dates.Kind = TCriterionKind::ctDateRange;
    dates.MinDate = "1900-01-01";
    dates.MaxDate = "2999-12-31";
    request.Criteria = {range, pe, relative, list, dates};
    return request;
}

// The same search as the stock client sends it.
std::unique_ptr<TXrStruct> FiveCriteriaStruct() {
    auto request = std::make_unique<TXrStruct>();
    request->AddDateTime("TradeDate", qb::DateToDayNumber(2026, 1, 15), 0);
    TXrArray& columns = request->AddArray("Columns");
    auto range = [&](const char* name, double min, double max) {
        TXrStruct& c = columns.AddStruct();
        c.AddString("ColumnName", name);
        c.AddInteger("FilterType", 1);
        c.AddDouble("MinValue", min);
        c.AddDouble("MaxValue", max);
    };
    range("MARKETCAP", 1e8, 9999999999999);
    range("PETRAILING12MONTHS", 0, 30);
    TXrStruct& relative = columns.AddStruct();
    relative.AddString("ColumnName", "PRICE52WEEKHIGH");
    relative.AddInteger("FilterType", 2);
    relative.AddBoolean("HigherThan", true);
    relative.AddDouble("RelativeValue", 10);
    relative.AddString("RelativeColumn", "CLOSINGPRICE");
    TXrStruct& list = columns.AddStruct();
    list.AddString("ColumnName", "EXCHANGE");
    list.AddInteger("FilterType", 3);
    TXrArray& values = list.AddArray("ValueList");
    list.AddInteger("ValueListDataType", 1);
    for (const char* v : {"NYSE", "NASDAQ", "TSX"})
        values.AddStruct().AddString("StringValue", v);
    TXrStruct& dates = columns.AddStruct();
    dates.AddString("ColumnName", "EXDIVIDENDDATE");
    dates.AddInteger("FilterType", 4);
    dates.AddDateTime("MinDate", qb::DateToDayNumber(1900, 1, 1), 0);
    dates.AddDateTime("MaxDate", qb::DateToDayNumber(2999, 12, 31), 0);
    request->AddArray("Symbols");
    return request;
}

void BM_SearchOnly(benchmark::State& state) {
    TStockSearch search(DatabasePath(), 2000);
    TFindStocksRequest request = FiveCriteria();
    std::size_t rows = 0;
    for (auto _ : state)
        rows = search.Find(request).Rows.size();
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_SearchOnly)->Unit(benchmark::kMillisecond);

// Server time of a whole call: read the document, search, write the answer.
void BM_FindStocksServerTime(benchmark::State& state) {
    TStockService service(Options());
    std::string token = service.Sessions().Open("demo", "demo");
    TXrArray params;
    params.AddString(token);
    params.Add(FiveCriteriaStruct());
    std::string document = BuildRequest("StockService.FindStocks", params);
    std::size_t bytes = 0;
    for (auto _ : state) {
        TCallOutcome outcome;
        bytes = service.Handle(document, outcome).size();
    }
    state.counters["answer_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FindStocksServerTime)->Unit(benchmark::kMillisecond);

std::string OpenSession(std::uint16_t port) {
    TXrArray credentials;
    credentials.AddString("demo");
    credentials.AddString("demo");
    auto token = RpcCall("127.0.0.1", port, true, "StockService.OpenSession", credentials);
    return static_cast<TXrString&>(*token).Value;
}

void BM_FindStocksOverTls(benchmark::State& state) {
    TReferenceService service(Options());
    service.Start();
    TXrArray params;
    params.AddString(OpenSession(service.Port()));
    params.Add(FiveCriteriaStruct());
    for (auto _ : state)
        RpcCall("127.0.0.1", service.Port(), true, "StockService.FindStocks", params);
}
BENCHMARK(BM_FindStocksOverTls)->Unit(benchmark::kMillisecond);

// Eight clients, 200 searches each, all at once; every failure is counted.
void BM_EightClientsTwoHundredSearches(benchmark::State& state) {
    TReferenceService service(Options());
    service.Start();
    std::string token = OpenSession(service.Port());
    std::atomic<int> failures{0}, done{0};
    for (auto _ : state) {
        std::vector<std::thread> clients;
        for (int c = 0; c < 8; ++c)
            clients.emplace_back([&] {
                TXrArray params;
                params.AddString(token);
                params.Add(FiveCriteriaStruct());
                for (int i = 0; i < 200; ++i) {
                    try {
                        auto result = RpcCall("127.0.0.1", service.Port(), true,
                                              "StockService.FindStocks", params);
                        auto* answer = dynamic_cast<TXrStruct*>(result.get());
                        if (!answer || answer->GetBoolean("Error"))
                            ++failures;
                    } catch (const std::exception&) {
                        ++failures;
                    }
                    ++done;
                }
            });
        for (auto& client : clients)
            client.join();
    }
    state.counters["calls"] = done.load();
    state.counters["failures"] = failures.load();
}
BENCHMARK(BM_EightClientsTwoHundredSearches)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
