#include "service/StockQuery.h"

#include "service/ServiceRefusal.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

[[noreturn]] void Malformed(const std::string& column, const std::string& why) {
    throw EServiceRefusal(rcMalformedCriterion, "Malformed criterion for " + column + ": " + why);
}

const TServiceColumn& KnownColumn(const std::string& name) {
    const TServiceColumn* column = FindServiceColumn(name);
    if (!column)
        throw EServiceRefusal(rcUnknownColumn, "Unknown column " + name);
    return *column;
}

bool IsIsoDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

class TQueryWriter {
public:
    TQueryWriter(long long snapshotDay) { FQuery.Params.push_back(snapshotDay); }

    void AddResultColumn(const TServiceColumn& column) {
        auto& columns = FQuery.ResultColumns;
        auto same = [&](const TServiceColumn* c) { return c->SqlExpr == column.SqlExpr; };
        if (std::none_of(columns.begin(), columns.end(), same))
            columns.push_back(&column);
    }

    void AddCriterion(const TCriterion& criterion) {
        const TServiceColumn& column = KnownColumn(criterion.ColumnName);
        AddResultColumn(column);
        switch (criterion.Kind) {
        case TCriterionKind::ctDisplayOnly:
            break;
        case TCriterionKind::ctRange:
            if (column.Kind != TColumnKind::ckNumber)
                Malformed(column.Name, "a range needs a numeric column");
            if (!std::isfinite(criterion.MinValue) || !std::isfinite(criterion.MaxValue))
                Malformed(column.Name, "bounds must be numbers");
            Where(column.SqlExpr + " BETWEEN ? AND ?");
            FQuery.Params.push_back(criterion.MinValue);
            FQuery.Params.push_back(criterion.MaxValue);
            break;
        case TCriterionKind::ctRelative: {
            if (column.Kind != TColumnKind::ckNumber)
                Malformed(column.Name, "a relative criterion needs a numeric column");
            const TServiceColumn& reference = KnownColumn(criterion.RelativeColumn);
            if (reference.Kind != TColumnKind::ckNumber)
                Malformed(column.Name, "the reference column must be numeric");
            if (!std::isfinite(criterion.RelativeValue))
                Malformed(column.Name, "the percentage must be a number");
            // "Higher than the reference by p %": at least reference * (1 + p/100).
            double factor = criterion.HigherThan ? 1 + criterion.RelativeValue / 100
                                                 : 1 - criterion.RelativeValue / 100;
            Where(column.SqlExpr + (criterion.HigherThan ? " >= " : " <= ") + reference.SqlExpr +
                  " * ?");
            FQuery.Params.push_back(factor);
            break;
        }
        case TCriterionKind::ctValueList: {
            if (criterion.Values.empty()) {
                Where("0");
                break;
            }
            std::string list;
            for (const auto& value : criterion.Values) {
                list += list.empty() ? "?" : ", ?";
                FQuery.Params.emplace_back(std::in_place_type<std::string>, value);
            }
            Where(column.SqlExpr + " IN (" + list + ")");
            break;
        }
        case TCriterionKind::ctDateRange:
            if (column.Kind != TColumnKind::ckDate)
                Malformed(column.Name, "a date range needs a date column");
            if (!IsIsoDate(criterion.MinDate) || !IsIsoDate(criterion.MaxDate))
                Malformed(column.Name, "the dates are not valid");
            Where(column.SqlExpr + " BETWEEN ? AND ?");
            FQuery.Params.emplace_back(std::in_place_type<std::string>, criterion.MinDate);
            FQuery.Params.emplace_back(std::in_place_type<std::string>, criterion.MaxDate);
            break;
        default:
            Malformed(column.Name, "unknown filter type");
        }
    }

    void AddSymbols(const std::vector<TSymbolRef>& symbols) {
        if (symbols.empty())
            return;
        std::string rows;
        for (const auto& symbol : symbols) {
            rows += rows.empty() ? "(?, ?)" : ", (?, ?)";
            FQuery.Params.emplace_back(std::in_place_type<std::string>, Upper(symbol.Country));
            FQuery.Params.emplace_back(std::in_place_type<std::string>, Upper(symbol.Symbol));
        }
        Where("(s.COUNTRY, s.SYMBOL) IN (VALUES " + rows + ")");
    }

    TStockQuery Finish(int limit) {
        // SQLite binds at most 32766 parameters; refuse well before that.
        if (FQuery.Params.size() > MaxQueryValues)
            throw EServiceRefusal(rcTooManyValues, "Too many values in the request (at most " +
                                                       std::to_string(MaxQueryValues) + ")");
        std::string sql = "SELECT ";
        bool first = true;
        for (const auto* column : FQuery.ResultColumns) {
            sql += first ? "" : ", ";
            sql += column->SqlExpr;
            first = false;
        }
        sql += " FROM snapshots q JOIN stocks s ON s.ID = q.STOCKID WHERE q.SNAPDAY = ?";
        sql += FWhere;
        sql += " ORDER BY s.COUNTRY DESC, s.SYMBOL LIMIT ?";
        FQuery.Params.push_back(static_cast<long long>(limit));
        FQuery.Sql = std::move(sql);
        return std::move(FQuery);
    }

private:
    void Where(const std::string& condition) { FWhere += " AND " + condition; }

    TStockQuery FQuery;
    std::string FWhere;
};

} // namespace

TStockQuery BuildStockQuery(const TFindStocksRequest& request, long long snapshotDay, int limit) {
    TQueryWriter writer(snapshotDay);
    for (const auto& column : LeadingResultColumns())
        writer.AddResultColumn(column);
    for (const auto& criterion : request.Criteria)
        writer.AddCriterion(criterion);
    writer.AddSymbols(request.Symbols);
    return writer.Finish(limit);
}
