#include "FindRequest.h"

#include "support/DayNumbers.h"
#include "xmlrpc/XrValues.h"

#include <algorithm>

int DayNumberOf(QDate date) {
    return qb::DateToDayNumber(date.year(), date.month(), date.day());
}

TFindRequest::TFindRequest(QDate tradeDate) : FRequest(std::make_unique<TXrStruct>()) {
    FRequest->AddDateTime("TradeDate", DayNumberOf(tradeDate), 0);
    FColumns = &FRequest->AddArray("Columns");
    FSymbols = &FRequest->AddArray("Symbols");
}

TFindRequest::~TFindRequest() = default;

TXrStruct& TFindRequest::RawCriterion() {
    return FColumns->AddStruct();
}

TFindRequest& TFindRequest::Display(const std::string& column) {
    TXrStruct& c = FColumns->AddStruct();
    c.AddString("ColumnName", column);
    c.AddInteger("FilterType", 0);
    return *this;
}

TFindRequest& TFindRequest::Range(const std::string& column, double min, double max) {
    TXrStruct& c = FColumns->AddStruct();
    c.AddString("ColumnName", column);
    c.AddInteger("FilterType", 1);
    c.AddDouble("MinValue", min);
    c.AddDouble("MaxValue", max);
    return *this;
}

TFindRequest& TFindRequest::Relative(const std::string& column, bool higherThan, double percent,
                                     const std::string& reference) {
    TXrStruct& c = FColumns->AddStruct();
    c.AddString("ColumnName", column);
    c.AddInteger("FilterType", 2);
    c.AddBoolean("HigherThan", higherThan);
    c.AddDouble("RelativeValue", percent);
    c.AddString("RelativeColumn", reference);
    return *this;
}

TFindRequest& TFindRequest::Values(const std::string& column,
                                   const std::vector<std::string>& values) {
    TXrStruct& c = FColumns->AddStruct();
    c.AddString("ColumnName", column);
    c.AddInteger("FilterType", 3);
    TXrArray& list = c.AddArray("ValueList");
    c.AddInteger("ValueListDataType", 1);
    for (const auto& value : values)
        list.AddStruct().AddString("StringValue", value);
    return *this;
}

TFindRequest& TFindRequest::Dates(const std::string& column, QDate min, QDate max) {
    TXrStruct& c = FColumns->AddStruct();
    c.AddString("ColumnName", column);
    c.AddInteger("FilterType", 4);
    c.AddDateTime("MinDate", DayNumberOf(min), 0);
    c.AddDateTime("MaxDate", DayNumberOf(max), 0);
    return *this;
}

TFindRequest& TFindRequest::Symbol(const std::string& country, const std::string& symbol) {
    TXrStruct& s = FSymbols->AddStruct();
    s.AddString("Country", country);
    s.AddString("Symbol", symbol);
    return *this;
}

std::unique_ptr<TXrStruct> TFindRequest::Build() {
    return std::move(FRequest);
}

int TResultTable::Column(const std::string& name) const {
    auto it = std::find(Columns.begin(), Columns.end(), name);
    return it == Columns.end() ? -1 : static_cast<int>(it - Columns.begin());
}

TResultTable ReadResult(const TXrStruct& result) {
    TResultTable table;
    const TXrArray& names = result.GetArray("ColumnNames");
    for (int i = 1; i <= names.Count(); ++i)
        table.Columns.push_back(names.StringItem(i));
    const TXrArray& rows = result.GetArray("Results");
    for (int r = 1; r <= rows.Count(); ++r) {
        auto* row = dynamic_cast<const TXrArray*>(rows.Item(r));
        std::vector<std::string> cells;
        for (int i = 1; row && i <= row->Count(); ++i)
            cells.push_back(row->StringItem(i));
        table.Rows.push_back(std::move(cells));
    }
    if (auto* truncated = dynamic_cast<const TXrBoolean*>(result.Find("ResultsTruncated")))
        table.Truncated = truncated->Value;
    return table;
}
