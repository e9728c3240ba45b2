#include "service/StockSearch.h"

#include "service/ServiceRefusal.h"
#include "service/SqliteDb.h"
#include "service/StockQuery.h"
#include "service/StockSchema.h"

#include <cmath>
#include <cstdio>

TStockSearch::TStockSearch(std::string databasePath, int maxRows)
    : FPath(std::move(databasePath)), FMaxRows(maxRows) {
    auto db = Acquire();
    // Fails at once when the file is no stock database.
    TSqliteStatement check(*db, "SELECT COUNT(*) FROM stocks");
    check.Step();
    Release(std::move(db));
}

TStockSearch::~TStockSearch() = default;

std::unique_ptr<TSqliteDb> TStockSearch::Acquire() {
    {
        std::lock_guard lock(FLock);
        if (!FIdle.empty()) {
            auto db = std::move(FIdle.back());
            FIdle.pop_back();
            return db;
        }
    }
    return std::make_unique<TSqliteDb>(FPath, TSqliteDb::omReadOnly);
}

void TStockSearch::Release(std::unique_ptr<TSqliteDb> db) {
    std::lock_guard lock(FLock);
    FIdle.push_back(std::move(db));
}

std::string FormatNumber(double value, int decimals) {
    if (!std::isfinite(value))
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result = text;
    if (result == "-0" || result == "-0.00")
        result.erase(0, 1);
    return result;
}

TSearchResult TStockSearch::Find(const TFindStocksRequest& request) {
    long long tradeDay = DayNumberOfIso(request.TradeDate);
    if (tradeDay < 0)
        throw EServiceRefusal(rcBadParameters, "Bad trade date " + request.TradeDate);
    TStockQuery query = BuildStockQuery(request, 0, FMaxRows + 1);

    TSearchResult result;
    for (const auto* column : query.ResultColumns)
        result.ColumnNames.push_back(column->Name);

    struct TLease {
        TStockSearch& Owner;
        std::unique_ptr<TSqliteDb> Db;
        ~TLease() { Owner.Release(std::move(Db)); }
    } lease{*this, Acquire()};
    TSqliteDb& db = *lease.Db;

    TSqliteStatement snapshot(db, "SELECT MAX(SNAPDAY) FROM snapshots WHERE SNAPDAY <= ?");
    snapshot.Bind(1, tradeDay);
    if (!snapshot.Step() || snapshot.IsNull(0))
        return result;
    query.Params[0] = snapshot.Int(0);

    TSqliteStatement select(db, query.Sql);
    for (std::size_t i = 0; i < query.Params.size(); ++i)
        select.Bind(static_cast<int>(i) + 1, query.Params[i]);
    while (select.Step()) {
        if (static_cast<int>(result.Rows.size()) == FMaxRows) {
            result.Truncated = true;
            break;
        }
        std::vector<std::string> row;
        row.reserve(query.ResultColumns.size());
        for (std::size_t c = 0; c < query.ResultColumns.size(); ++c) {
            int index = static_cast<int>(c);
            const TServiceColumn& column = *query.ResultColumns[c];
            if (select.IsNull(index))
                row.emplace_back();
            else if (column.Kind == TColumnKind::ckNumber)
                row.push_back(FormatNumber(select.Double(index), column.Decimals));
            else
                row.push_back(select.Text(index));
        }
        result.Rows.push_back(std::move(row));
    }
    return result;
}
