#pragma once
// A search as the service understands it, read from the request struct of
// "StockService.FindStocks" (see FindStocksReader.h).
#include <string>
#include <vector>

enum class TCriterionKind {
    ctDisplayOnly = 0,
    ctRange = 1,
    ctRelative = 2,
    ctValueList = 3,
    ctDateRange = 4
};

struct TCriterion {
    std::string ColumnName;
    TCriterionKind Kind = TCriterionKind::ctDisplayOnly;
    double MinValue = 0, MaxValue = 0; // ctRange
    bool HigherThan = true;            // ctRelative
    double RelativeValue = 0;          // ctRelative: percent
    std::string RelativeColumn;        // ctRelative
    std::vector<std::string> Values;   // ctValueList
    std::string MinDate, MaxDate;      // ctDateRange: "yyyy-mm-dd"
};

struct TSymbolRef {
    std::string Country;
    std::string Symbol;
};

struct TFindStocksRequest {
    std::string TradeDate; // "yyyy-mm-dd"
    std::vector<TCriterion> Criteria;
    std::vector<TSymbolRef> Symbols; // empty: every stock
};

struct TSearchResult {
    std::vector<std::string> ColumnNames;
    std::vector<std::vector<std::string>> Rows;
    bool Truncated = false;
};
