#pragma once
// The tables of the stock database.  stocks: one row per listed stock;
// snapshots: the fields of every stock as of one day (SNAPDAY: days since
// 1 January 1600, as the protocol counts them).
#include <string>

std::string StockSchemaSql();

// Days since 1 January 1600 of an ISO date "yyyy-mm-dd"; -1 if invalid.
long long DayNumberOfIso(const std::string& isoDate);
