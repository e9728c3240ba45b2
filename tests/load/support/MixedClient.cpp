#include "MixedClient.h"

#include "FindRequest.h"
#include "xmlrpc/Transport.h"
#include "xmlrpc/XrValues.h"

#include <chrono>

namespace {

const char* const kHost = "127.0.0.1";

// Searches the way filters are built in the editor: a few criteria each,
// with one that displays every stock (the largest answer).
std::unique_ptr<TXrStruct> SomeSearch(std::mt19937& random) {
    static const QDate tradeDates[] = {{2026, 6, 30}, {2025, 12, 31}, {2020, 3, 16}};
    TFindRequest request(tradeDates[random() % 3]);
    switch (random() % 5) {
    case 0:
        request.Range("CLOSINGPRICE", 10, 50).Display("MARKETCAP");
        break;
    case 1:
        request.Relative("PRICE52WEEKHIGH", true, 25, "CLOSINGPRICE")
            .Values("EXCHANGE", {"NYSE", "NASDAQ"});
        break;
    case 2:
        request.Range("MARKETCAP", 1e8, 1e13)
            .Range("PETRAILING12MONTHS", 0, 40)
            .Dates("EXDIVIDENDDATE", {1900, 1, 1}, {2999, 12, 31})
            .Values("EXCHANGE", {"NYSE", "NASDAQ", "TSX"});
        break;
    case 3:
        request.Values("ANALYSTRECOMMENDATION", {"Strong Buy", "Buy"}).Display("BETA");
        break;
    default:
        request.Display("CLOSINGPRICE").Display("INDUSTRY").Display("DIVIDENDDATE");
        break;
    }
    return request.Build();
}

std::string SomeSymbol(std::mt19937& random) {
    std::string symbol;
    for (int i = 0, n = 2 + static_cast<int>(random() % 3); i < n; ++i)
        symbol += static_cast<char>('A' + random() % 26);
    return symbol;
}

const TXrStruct& AsStruct(const TXrValue& value) {
    auto* result = dynamic_cast<const TXrStruct*>(&value);
    if (!result)
        throw std::runtime_error("the result is no struct");
    if (result->GetBoolean("Error"))
        throw std::runtime_error("refused: " + std::to_string(result->GetInteger("ErrorCode")) +
                                 ", " + result->GetString("ErrorMessage"));
    return *result;
}

} // namespace

TMixedClient::TMixedClient(std::uint16_t port, unsigned seed) : FPort(port), FRandom(seed) {}

void TMixedClient::Failed(const std::string& what) {
    ++FReport.Failures;
    if (FReport.FirstFailures.size() < 5)
        FReport.FirstFailures.push_back(what);
}

template <class TCheck>
std::unique_ptr<TXrValue> TMixedClient::Call(const std::string& method, const TXrArray& params,
                                             TCheck check) {
    auto start = std::chrono::steady_clock::now();
    std::unique_ptr<TXrValue> result;
    try {
        result = RpcCall(kHost, FPort, true, method, params);
        check(*result);
    } catch (const std::exception& e) {
        Failed(method + ": " + e.what());
        result.reset();
    }
    FReport.LatencyMs.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    ++FReport.Calls;
    ++*FProgress;
    return result;
}

void TMixedClient::Operation(int kind) {
    TXrArray credentials;
    credentials.AddString("demo");
    credentials.AddString("demo");
    auto opened = Call("StockService.OpenSession", credentials, [](const TXrValue& value) {
        auto* token = dynamic_cast<const TXrString*>(&value);
        if (!token || token->Value.empty())
            throw std::runtime_error("no token");
    });
    if (!opened)
        return;
    const std::string token = static_cast<TXrString&>(*opened).Value;
    TXrArray params;
    params.AddString(token);
    if (kind == 0 || FSites.empty()) {
        Call("StockService.GetStockInfoSites", params, [&](const TXrValue& value) {
            auto* sites = dynamic_cast<const TXrArray*>(&value);
            if (!sites || sites->Count() == 0)
                throw std::runtime_error("no site names");
            FSites.clear();
            for (int i = 1; i <= sites->Count(); ++i)
                FSites.push_back(sites->StringItem(i));
        });
    } else if (kind == 1) {
        params.AddString(FRandom() % 2 ? "US" : "CA");
        params.AddString(SomeSymbol(FRandom));
        params.AddString(FRandom() % 2 ? "NYSE" : "TSX");
        params.AddString(FSites[FRandom() % FSites.size()]);
        Call("StockService.GetStockInfoURL", params, [](const TXrValue& value) {
            if (AsStruct(value).GetString("URL").rfind("https://", 0) != 0)
                throw std::runtime_error("no address");
        });
    } else {
        params.Add(SomeSearch(FRandom));
        Call("StockService.FindStocks", params, [](const TXrValue& value) {
            TResultTable table = ReadResult(AsStruct(value));
            if (table.Columns.empty())
                throw std::runtime_error("no result columns");
            for (const auto& row : table.Rows)
                if (row.size() != table.Columns.size())
                    throw std::runtime_error("a row of another width than the header");
        });
    }
    TXrArray closing;
    closing.AddString(token);
    Call("StockService.CloseSession", closing, [](const TXrValue& value) {
        auto* done = dynamic_cast<const TXrBoolean*>(&value);
        if (!done || !done->Value)
            throw std::runtime_error("session not closed");
    });
}

void TMixedClient::Run(int calls, std::atomic<int>& progress) {
    FProgress = &progress;
    // Like the program, a client learns the site names first.
    Operation(0);
    while (FReport.Calls < calls) {
        // Searches half of the time, address look-ups 30 %, site lists 20 %.
        int draw = static_cast<int>(FRandom() % 10);
        Operation(draw < 5 ? 2 : draw < 8 ? 1 : 0);
    }
}
