#pragma once
// Turns a search into one parameterised SQL statement.  Only the fixed
// expressions of ServiceColumns() and fixed keywords enter the SQL text; every
// value of the request is a bound parameter.
#include "service/FindStocksRequest.h"
#include "service/ServiceColumns.h"

#include <string>
#include <variant>
#include <vector>

using TSqlParam = std::variant<double, std::string, long long>;

struct TStockQuery {
    std::string Sql;
    std::vector<TSqlParam> Params;
    std::vector<const TServiceColumn*> ResultColumns; // in result order
};

// The most bound values (bounds, list items, symbols) one search may carry.
constexpr std::size_t MaxQueryValues = 20000;

// `snapshotDay`: the snapshot to search; `limit`: rows to fetch (the caller
// asks for one more than it returns to see whether the list was cut).
// Fails with EServiceRefusal for unknown columns and malformed criteria.
TStockQuery BuildStockQuery(const TFindStocksRequest& request, long long snapshotDay, int limit);
