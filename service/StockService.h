#pragma once
// The methods of the stock service: one methodCall document in, one
// methodResponse document out.  Never throws: whatever goes wrong becomes a
// fault or a struct with "Error" true.  Thread-safe.
#include "service/ServiceOptions.h"
#include "service/SessionStore.h"
#include "service/StockSearch.h"

#include <memory>
#include <string>
#include <string_view>

class TXrArray;
class TXrValue;

// What a call did, for the log.
struct TCallOutcome {
    std::string Method;  // "?" when the document named none
    std::string Outcome; // "ok ...", "refused N: ...", "fault N: ..."
};

class TStockService {
public:
    explicit TStockService(const TServiceOptions& options);

    std::string Handle(std::string_view requestDocument, TCallOutcome& outcome);

    TSessionStore& Sessions() { return FSessions; }

private:
    std::unique_ptr<TXrValue> Dispatch(const std::string& method, const TXrArray& params,
                                       TCallOutcome& outcome);
    std::unique_ptr<TXrValue> FindStocks(const TXrArray& params, TCallOutcome& outcome);
    std::unique_ptr<TXrValue> GetStockInfoURL(const TXrArray& params, TCallOutcome& outcome);

    TSessionStore FSessions;
    TStockSearch FSearch;
};

// Deepest nesting of arrays and structs a request may have; the reader is
// recursive, so deeper documents are refused before they are read.
constexpr int MaxRequestNesting = 32;
// True when no element nesting in the text goes deeper than `limit` levels.
bool NestingWithin(std::string_view document, int limit);
