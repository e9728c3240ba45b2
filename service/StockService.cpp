#include "service/StockService.h"

#include "service/FindStocksReader.h"
#include "service/InfoSites.h"
#include "service/ServiceRefusal.h"
#include "support/Win1252.h"
#include "xmlrpc/BadPayload.h"
#include "xmlrpc/MethodCall.h"
#include "xmlrpc/XrValues.h"

#include <cctype>
#include <new>

namespace {

constexpr int kBadPayloadFault = 100;

const std::string& StringParam(const TXrArray& params, int index) {
    if (index > params.Count())
        throw EServiceRefusal(rcBadParameters, "Too few parameters (expected at least " +
                                                   std::to_string(index) + ")");
    auto* text = dynamic_cast<const TXrString*>(params.Item(index));
    if (!text)
        throw EServiceRefusal(rcBadParameters,
                              "Parameter " + std::to_string(index) + " must be a string");
    return text->Value;
}

void ExpectCount(const TXrArray& params, int count) {
    if (params.Count() != count)
        throw EServiceRefusal(rcBadParameters, "Expected " + std::to_string(count) +
                                                   " parameters, got " +
                                                   std::to_string(params.Count()));
}

std::unique_ptr<TXrStruct> ErrorStruct(const EServiceRefusal& refusal) {
    auto result = std::make_unique<TXrStruct>();
    result->AddBoolean("Error", true);
    result->AddInteger("ErrorCode", refusal.Code());
    result->AddString("ErrorMessage", refusal.Message());
    return result;
}

std::string Refused(const EServiceRefusal& refusal) {
    return "refused " + std::to_string(refusal.Code()) + ": " + refusal.Message();
}

} // namespace

TStockService::TStockService(const TServiceOptions& options)
    : FSessions(options.Accounts), FSearch(options.DatabasePath, options.MaxRows) {}

std::string TStockService::Handle(std::string_view requestDocument, TCallOutcome& outcome) {
    outcome.Method = "?";
    int faultCode = rcInternal;
    std::string faultText;
    try {
        if (!NestingWithin(requestDocument, MaxRequestNesting))
            throw EBadPayload("values nested deeper than " + std::to_string(MaxRequestNesting) +
                              " levels");
        TXrMethodCall call = ParseMethodCall(requestDocument);
        outcome.Method = call.MethodName;
        std::unique_ptr<TXrValue> result = Dispatch(call.MethodName, *call.Params, outcome);
        return BuildResponse(*result);
    } catch (const EBadPayload& e) {
        faultCode = kBadPayloadFault;
        faultText = e.Message();
    } catch (const EServiceRefusal& e) {
        faultCode = e.Code();
        faultText = e.Message();
    } catch (const std::bad_alloc&) {
        faultText = "Out of memory";
    } catch (const std::exception& e) {
        // Conversion and check errors of the reader: the request is at fault.
        faultCode = rcBadParameters;
        faultText = std::string("Invalid request: ") + e.what();
    }
    outcome.Outcome = "fault " + std::to_string(faultCode) + ": " + faultText;
    try {
        return BuildFaultResponse(faultCode, faultText);
    } catch (const std::exception&) {
        return BuildFaultResponse(rcInternal, "Internal error");
    }
}

std::unique_ptr<TXrValue> TStockService::Dispatch(const std::string& method, const TXrArray& params,
                                                  TCallOutcome& outcome) {
    if (method == "StockService.OpenSession") {
        ExpectCount(params, 2);
        std::string token = FSessions.Open(StringParam(params, 1), StringParam(params, 2));
        outcome.Outcome = "ok";
        return std::make_unique<TXrString>(token);
    }
    if (method == "StockService.CloseSession") {
        ExpectCount(params, 1);
        if (!FSessions.Close(StringParam(params, 1)))
            throw EServiceRefusal(rcBadSession, "Invalid session");
        outcome.Outcome = "ok";
        return std::make_unique<TXrBoolean>(true);
    }
    if (method == "StockService.GetStockInfoSites") {
        ExpectCount(params, 1);
        if (!FSessions.Touch(StringParam(params, 1)))
            throw EServiceRefusal(rcBadSession, "Invalid session");
        auto sites = std::make_unique<TXrArray>();
        for (const auto& site : InfoSites())
            sites->AddString(site.Name);
        outcome.Outcome = "ok";
        return sites;
    }
    if (method == "StockService.GetStockInfoURL")
        return GetStockInfoURL(params, outcome);
    if (method == "StockService.FindStocks")
        return FindStocks(params, outcome);
    throw EServiceRefusal(rcUnknownMethod, "Unknown method " + method);
}

std::unique_ptr<TXrValue> TStockService::GetStockInfoURL(const TXrArray& params,
                                                         TCallOutcome& outcome) {
    ExpectCount(params, 5);
    try {
        if (!FSessions.Touch(StringParam(params, 1)))
            throw EServiceRefusal(rcBadSession, "Invalid session");
        std::string url = InfoSiteUrl(StringParam(params, 5), StringParam(params, 2),
                                      StringParam(params, 3), StringParam(params, 4));
        auto result = std::make_unique<TXrStruct>();
        result->AddBoolean("Error", false);
        result->AddString("URL", url);
        outcome.Outcome = "ok";
        return result;
    } catch (const EServiceRefusal& refusal) {
        outcome.Outcome = Refused(refusal);
        auto result = ErrorStruct(refusal);
        result->AddString("URL", "");
        return result;
    }
}

std::unique_ptr<TXrValue> TStockService::FindStocks(const TXrArray& params, TCallOutcome& outcome) {
    try {
        ExpectCount(params, 2);
        if (!FSessions.Touch(StringParam(params, 1)))
            throw EServiceRefusal(rcBadSession, "Invalid session");
        auto* request = dynamic_cast<const TXrStruct*>(params.Item(2));
        if (!request)
            throw EServiceRefusal(rcBadParameters, "Parameter 2 must be a struct");
        TSearchResult found = FSearch.Find(ReadFindStocksRequest(*request));

        auto result = std::make_unique<TXrStruct>();
        result->AddBoolean("Error", false);
        TXrArray& names = result->AddArray("ColumnNames");
        for (const auto& name : found.ColumnNames)
            names.AddString(name);
        TXrArray& rows = result->AddArray("Results");
        rows.Reserve(static_cast<int>(found.Rows.size()));
        for (const auto& row : found.Rows) {
            TXrArray& cells = rows.AddArray();
            cells.Reserve(static_cast<int>(row.size()));
            for (const auto& cell : row)
                cells.AddString(qb::Utf8ToWin1252(cell));
        }
        result->AddBoolean("ResultsTruncated", found.Truncated);
        outcome.Outcome = "ok " + std::to_string(found.Rows.size()) + " rows" +
                          (found.Truncated ? " (truncated)" : "");
        return result;
    } catch (const EServiceRefusal& refusal) {
        outcome.Outcome = Refused(refusal);
        return ErrorStruct(refusal);
    } catch (const std::exception& e) {
        // The database failed, not the request.
        EServiceRefusal failure(rcInternal, std::string("Search failed: ") + e.what());
        outcome.Outcome = Refused(failure);
        return ErrorStruct(failure);
    }
}

bool NestingWithin(std::string_view document, int limit) {
    // Counts open minus closed array and struct elements; comments and
    // CDATA cannot hide tags from the reader, which refuses them in values.
    int depth = 0;
    for (std::size_t at = document.find('<'); at != std::string_view::npos;
         at = document.find('<', at + 1)) {
        std::string_view rest = document.substr(at + 1);
        bool closing = !rest.empty() && rest[0] == '/';
        if (closing)
            rest.remove_prefix(1);
        auto starts = [&](std::string_view name) {
            if (rest.size() < name.size())
                return false;
            for (std::size_t i = 0; i < name.size(); ++i)
                if (std::tolower(static_cast<unsigned char>(rest[i])) != name[i])
                    return false;
            return true;
        };
        if (!starts("array") && !starts("struct"))
            continue;
        depth += closing ? -1 : 1;
        if (depth > limit)
            return false;
    }
    return true;
}
