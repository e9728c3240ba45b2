#include "service/FindStocksReader.h"

#include "service/ServiceRefusal.h"
#include "support/Win1252.h"
#include "xmlrpc/XrValues.h"

#include <QDate>

namespace {

[[noreturn]] void Malformed(const std::string& what) {
    throw EServiceRefusal(rcMalformedCriterion, "Malformed request: " + what);
}

template <class T> const T& Member(const TXrStruct& s, const char* name, const char* type) {
    const TXrValue* value = s.Find(name);
    if (!value)
        Malformed(std::string("member ") + name + " is missing");
    auto* typed = dynamic_cast<const T*>(value);
    if (!typed)
        Malformed(std::string("member ") + name + " is not of type " + type);
    return *typed;
}

std::string Text(const TXrStruct& s, const char* name) {
    return qb::Win1252ToUtf8(Member<TXrString>(s, name, "string").Value);
}

// Numbers may come as double or, from lenient clients, as integer.
double Number(const TXrStruct& s, const char* name) {
    if (auto* i = dynamic_cast<const TXrInt4*>(s.Find(name)))
        return i->Value;
    return Member<TXrDouble>(s, name, "double").Value;
}

std::string Date(const TXrStruct& s, const char* name) {
    std::string iso = IsoOfDayNumber(Member<TXrDateTime>(s, name, "dateTime.iso8601").Date);
    if (iso.empty())
        Malformed(std::string("member ") + name + " holds no valid date");
    return iso;
}

const TXrStruct& StructItem(const TXrArray& array, int index, const char* what) {
    auto* item = dynamic_cast<const TXrStruct*>(array.Item(index));
    if (!item)
        Malformed(std::string("an element of ") + what + " is not a struct");
    return *item;
}

TCriterion ReadCriterion(const TXrStruct& c) {
    TCriterion criterion;
    criterion.ColumnName = Text(c, "ColumnName");
    int type = Member<TXrInt4>(c, "FilterType", "i4").Value;
    switch (type) {
    case 0:
        criterion.Kind = TCriterionKind::ctDisplayOnly;
        break;
    case 1:
        criterion.Kind = TCriterionKind::ctRange;
        criterion.MinValue = Number(c, "MinValue");
        criterion.MaxValue = Number(c, "MaxValue");
        break;
    case 2:
        criterion.Kind = TCriterionKind::ctRelative;
        criterion.HigherThan = Member<TXrBoolean>(c, "HigherThan", "boolean").Value;
        criterion.RelativeValue = Number(c, "RelativeValue");
        criterion.RelativeColumn = Text(c, "RelativeColumn");
        break;
    case 3: {
        criterion.Kind = TCriterionKind::ctValueList;
        const auto& list = Member<TXrArray>(c, "ValueList", "array");
        for (int i = 1; i <= list.Count(); ++i)
            criterion.Values.push_back(Text(StructItem(list, i, "ValueList"), "StringValue"));
        break;
    }
    case 4:
        criterion.Kind = TCriterionKind::ctDateRange;
        criterion.MinDate = Date(c, "MinDate");
        criterion.MaxDate = Date(c, "MaxDate");
        break;
    default:
        Malformed("unknown FilterType " + std::to_string(type) + " for " + criterion.ColumnName);
    }
    return criterion;
}

} // namespace

std::string IsoOfDayNumber(long long dayNumber) {
    if (dayNumber < 0 || dayNumber > 876581) // 1600-01-01 .. 3999-12-31
        return {};
    return QDate(1600, 1, 1).addDays(dayNumber).toString(Qt::ISODate).toStdString();
}

TFindStocksRequest ReadFindStocksRequest(const TXrStruct& request) {
    TFindStocksRequest search;
    search.TradeDate = Date(request, "TradeDate");
    const auto& columns = Member<TXrArray>(request, "Columns", "array");
    for (int i = 1; i <= columns.Count(); ++i)
        search.Criteria.push_back(ReadCriterion(StructItem(columns, i, "Columns")));
    if (request.Find("Symbols")) {
        const auto& symbols = Member<TXrArray>(request, "Symbols", "array");
        for (int i = 1; i <= symbols.Count(); ++i) {
            const TXrStruct& s = StructItem(symbols, i, "Symbols");
            search.Symbols.push_back({Text(s, "Country"), Text(s, "Symbol")});
        }
    }
    return search;
}
