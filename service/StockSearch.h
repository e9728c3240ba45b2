#pragma once
// Answers searches from the stock database.  Safe to use from several
// threads: each search borrows a connection of its own.
#include "service/FindStocksRequest.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TSqliteDb;

class TStockSearch {
public:
    // Opens the database read-only at once, so a missing file fails here.
    TStockSearch(std::string databasePath, int maxRows);
    ~TStockSearch();

    // Data as of the latest snapshot on or before the trade date; no rows
    // when the database holds none that early.  At most maxRows rows, with
    // Truncated set when more matched.  Refusals throw EServiceRefusal.
    TSearchResult Find(const TFindStocksRequest& request);

private:
    std::unique_ptr<TSqliteDb> Acquire();
    void Release(std::unique_ptr<TSqliteDb> db);

    std::string FPath;
    int FMaxRows;
    std::mutex FLock;
    std::vector<std::unique_ptr<TSqliteDb>> FIdle;
};

// A result cell: numbers with the column's decimals, texts as stored, NULL
// as the empty text.
std::string FormatNumber(double value, int decimals);
