#pragma once
// Builds the request struct of "StockService.FindStocks" member by member as
// the stock client lays it out.
#include <QDate>

#include <memory>
#include <string>
#include <vector>

class TXrArray;
class TXrStruct;

class TFindRequest {
public:
    explicit TFindRequest(QDate tradeDate);
    ~TFindRequest();

    TFindRequest& Display(const std::string& column);
    TFindRequest& Range(const std::string& column, double min, double max);
    TFindRequest& Relative(const std::string& column, bool higherThan, double percent,
                           const std::string& reference);
    TFindRequest& Values(const std::string& column, const std::vector<std::string>& values);
    TFindRequest& Dates(const std::string& column, QDate min, QDate max);
    TFindRequest& Symbol(const std::string& country, const std::string& symbol);
    // A hand-made criterion struct, for malformed requests.
    TXrStruct& RawCriterion();

    std::unique_ptr<TXrStruct> Build();

private:
    std::unique_ptr<TXrStruct> FRequest;
    TXrArray* FColumns;
    TXrArray* FSymbols;
};

int DayNumberOf(QDate date);

// Cells of a result, for checks.
struct TResultTable {
    std::vector<std::string> Columns;
    std::vector<std::vector<std::string>> Rows;
    bool Truncated = false;
    int Column(const std::string& name) const; // -1 when absent
};
TResultTable ReadResult(const TXrStruct& result);
