#pragma once
// The search: the "StockService.FindStocks" request built from a filter
// editor's tree and panels, the check before anything is sent, and the
// results grid filled from the answer.
#include <QDate>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

class TFilterFm;
class TStockServiceClient;
class TXrStruct;

// The request struct ("TradeDate", "Columns", "Symbols"), or nullptr and the
// reason in `message` when a used value-list field has no values.
std::unique_ptr<TXrStruct> BuildFindStocksRequest(const TFilterFm& editor, const QDate& tradeDate,
                                                  QString& message);

// Whether the filter can be sent; otherwise the reason is shown in an
// information box.
bool ValidateFilter(const TFilterFm& editor, const QDate& tradeDate);

// The earliest trade date a search accepts, in the window and on the command
// line.
QDate EarliestTradeDate();

// Country and symbol of a "US:IBM" item: the first two runs of characters
// other than ":", empty runs not counted; missing runs are empty.
std::pair<std::string, std::string> SplitSymbolItem(std::string_view item);

// A date cell of the results ("yyyy-mm-dd") in the user's short date format.
// A text that is not such a date is shown as it came.
QString ResultDateText(const std::string& text);

struct TSearchProgress {
    std::function<void(const QString& text)> Show; // may be empty
    std::function<void()> Hide;                    // may be empty; must do nothing when hidden
};

// Fills the editor's results grid from a FindStocks answer: header captions
// and widths, one row per stock.  No match hides the grid and says so; a cut
// list says so and is shown.  `hideProgress` runs before either message box.
void FillResultsGrid(TFilterFm& editor, const TXrStruct& response,
                     const std::function<void()>& hideProgress);

// The search of a filter that ValidateFilter allowed: progress window,
// session, the threaded call, the grid, and the session closed whatever
// happened.  Errors pass on after that cleanup.
void SearchStocks(TStockServiceClient& service, TFilterFm& editor, const QDate& tradeDate,
                  const TSearchProgress& progress);
