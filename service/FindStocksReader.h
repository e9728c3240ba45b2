#pragma once
// Reads the request struct of "StockService.FindStocks" into a search.
// Texts become UTF-8, the database's encoding.  A request of the wrong
// shape fails with EServiceRefusal naming what is wrong.
#include "service/FindStocksRequest.h"

class TXrStruct;

TFindStocksRequest ReadFindStocksRequest(const TXrStruct& request);

// "yyyy-mm-dd" of a day number (days since 1 January 1600); empty if out of range.
std::string IsoOfDayNumber(long long dayNumber);
