#include "app/SearchRequest.h"

#include "app/StockService.h"
#include "filter/TChoicePanel.h"
#include "filter/TChoicePanelManualList.h"
#include "filter/TDateRangePanel.h"
#include "filter/TFilterFm.h"
#include "filter/TRangePanel.h"
#include "filter/TRelativePanel.h"
#include "grid/TStringGridEx.h"
#include "support/DayNumbers.h"
#include "support/TranslateText.h"
#include "support/Win1252.h"
#include "support/ui/Dialogs.h"
#include "xmlrpc/XrValues.h"

#include <QFontMetrics>
#include <QLocale>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <vector>

namespace {

const char* const FindStocksMethod = "StockService.FindStocks";

void AddCriterion(TXrArray& columns, TFilterValuePanel& panel, QString& message) {
    TXrStruct& criterion = columns.AddStruct();
    criterion.AddString("ColumnName", panel.ColumnName());
    if (panel.GetUsage() == fuDisplayOnly) {
        criterion.AddInteger("FilterType", ctDisplayOnly);
        return;
    }
    switch (panel.Kind()) {
    case pkRange: {
        auto& range = static_cast<TRangePanel&>(panel);
        criterion.AddInteger("FilterType", ctRange);
        criterion.AddDouble("MinValue", range.Minimum());
        criterion.AddDouble("MaxValue", range.Maximum());
        break;
    }
    case pkRelative: {
        auto& relative = static_cast<TRelativePanel&>(panel);
        criterion.AddInteger("FilterType", ctRelative);
        criterion.AddBoolean("HigherThan", relative.HigherThan());
        criterion.AddDouble("RelativeValue", relative.Percentage());
        criterion.AddString("RelativeColumn", relative.RelativeColumn());
        break;
    }
    case pkDateRange: {
        auto& dates = static_cast<TDateRangePanel&>(panel);
        criterion.AddInteger("FilterType", ctDateRange);
        criterion.AddDateTime("MinDate", qb::QDateToDayNumber(dates.Minimum().date()), 0);
        criterion.AddDateTime("MaxDate", qb::QDateToDayNumber(dates.Maximum().date()), 0);
        break;
    }
    case pkChoice:
    case pkManualList: {
        auto& choice = static_cast<TChoicePanel&>(panel);
        const bool manual = panel.Kind() == pkManualList;
        criterion.AddInteger("FilterType", ctValueList);
        TXrArray& values = criterion.AddArray("ValueList");
        criterion.AddInteger("ValueListDataType", 1);
        // A typed list counts every item, a fixed list only the selected ones.
        for (const std::string& item : manual ? choice.Items() : choice.SelectedItems())
            values.AddStruct().AddString("StringValue", item);
        if (values.Count() == 0)
            message =
                TranslateText(manual ? QStringLiteral("Please add one or more value in %1 filter")
                                     : QStringLiteral("Please select values in %1 filter"))
                    .arg(panel.GetCaption());
        break;
    }
    }
}

void AddSymbols(TXrArray& symbols, const TChoicePanel& panel) {
    for (const std::string& item : panel.Items()) {
        const auto [country, symbol] = SplitSymbolItem(item);
        TXrStruct& entry = symbols.AddStruct();
        entry.AddString("Country", country);
        entry.AddString("Symbol", symbol);
    }
}

bool IsDateColumn(const std::string& name) {
    return name == "DIVIDENDDATE" || name == "EXDIVIDENDDATE";
}

int DigitsAt(const std::string& text, std::size_t start, std::size_t count) {
    int value = 0;
    for (std::size_t i = start; i < start + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

std::pair<std::string, std::string> SplitSymbolItem(std::string_view item) {
    std::vector<std::string> runs;
    std::size_t start = 0;
    while (start <= item.size() && runs.size() < 2) {
        std::size_t end = item.find(':', start);
        if (end == std::string_view::npos)
            end = item.size();
        if (end > start)
            runs.emplace_back(item.substr(start, end - start));
        start = end + 1;
    }
    runs.resize(2);
    return {runs[0], runs[1]};
}

QString ResultDateText(const std::string& text) {
    // Picture "yyyy-mm-dd".
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        const int year = DigitsAt(text, 0, 4), month = DigitsAt(text, 5, 2),
                  day = DigitsAt(text, 8, 2);
        if (year >= 0 && month >= 0 && day >= 0) {
            const int32_t dayNumber = qb::DateToDayNumber(year, month, day);
            if (dayNumber != qb::kNoDate)
                return QLocale::system().toString(qb::DayNumberToQDate(dayNumber),
                                                  QLocale::ShortFormat);
        }
    }
    // Not a date: an empty cell stays empty rather than showing a made-up day.
    return qb::FromAnsi(text);
}

std::unique_ptr<TXrStruct> BuildFindStocksRequest(const TFilterFm& editor, const QDate& tradeDate,
                                                  QString& message) {
    message.clear();
    auto request = std::make_unique<TXrStruct>();
    request->AddDateTime("TradeDate", qb::QDateToDayNumber(tradeDate), 0);
    TXrArray& columns = request->AddArray("Columns");
    TXrArray& symbols = request->AddArray("Symbols");
    for (QTreeWidgetItemIterator it(editor.TreeView()); *it; ++it) {
        TFilterValuePanel* panel = TFilterFm::NodePanel(*it);
        if (!panel || panel->GetUsage() == fuNotUsed)
            continue;
        const bool choice = panel->Kind() == pkChoice || panel->Kind() == pkManualList;
        if (choice && panel->ColumnName() == "SYMBOL")
            AddSymbols(symbols, static_cast<const TChoicePanel&>(*panel));
        else
            AddCriterion(columns, *panel, message);
        if (!message.isEmpty())
            return nullptr;
    }
    return request;
}

bool ValidateFilter(const TFilterFm& editor, const QDate& tradeDate) {
    QString message;
    const std::unique_ptr<TXrStruct> request = BuildFindStocksRequest(editor, tradeDate, message);
    if (!request) {
        ShowInformationBox(message);
        return false;
    }
    if (request->GetArray("Columns").Count() == 0) {
        ShowInformationBox(TranslateText(
            QStringLiteral("Please select at least one filter parameter or display column")));
        return false;
    }
    return true;
}

void FillResultsGrid(TFilterFm& editor, const TXrStruct& response,
                     const std::function<void()>& hideProgress) {
    TStringGridEx* grid = editor.ResultsGrid();
    const int rowCount = response.GetArray("Results").Count();
    if (rowCount == 0) {
        grid->hide();
        if (hideProgress)
            hideProgress();
        ShowInformationBox(TranslateText(QStringLiteral(
            "Your filter does not match any stock.\rPlease make your filter less selective.")));
        return;
    }
    if (const TXrValue* truncated = response.Find("ResultsTruncated");
        truncated && response.GetBoolean("ResultsTruncated")) {
        if (hideProgress)
            hideProgress();
        ShowInformationBox(TranslateText(QStringLiteral("Please make your filter more selective."
                                                        "\rOnly the first %1 matches will be "
                                                        "displayed."))
                               .arg(rowCount));
    }
    const TXrArray& names = response.GetArray("ColumnNames");
    const TXrArray& results = response.GetArray("Results");
    grid->show();
    const int colCount = names.Count();
    std::vector<std::vector<std::string>> table(std::size_t(rowCount) + 1,
                                                std::vector<std::string>(std::size_t(colCount)));
    std::vector<std::string> columnNames;
    std::vector<int> widths;
    const QFontMetrics metrics(grid->font());
    for (int i = 0; i < colCount; ++i) {
        columnNames.push_back(names.StringItem(i + 1));
        const std::string caption = editor.ColumnCaption(columnNames.back());
        table[0][std::size_t(i)] = caption;
        widths.push_back(columnNames.back() == "INDUSTRY"
                             ? 100
                             : metrics.horizontalAdvance(qb::FromAnsi(caption)) + 5);
    }
    // Whatever was read before a failure is shown: the grid is set in any case.
    auto show = [&] {
        grid->SetRowCount(rowCount + 1);
        grid->SetColCount(colCount);
        grid->SetTable(table);
        for (int i = 0; i < colCount; ++i)
            grid->SetColWidths(i, widths[std::size_t(i)]);
    };
    try {
        for (int r = 1; r <= rowCount; ++r) {
            auto* row = dynamic_cast<const TXrArray*>(results.Item(r));
            if (!row)
                throw Exception("Invalid type conversion: result row " + std::to_string(r) +
                                " is not an array.");
            for (int i = 0; i < colCount; ++i) {
                const std::string& text = row->StringItem(i + 1);
                table[std::size_t(r)][std::size_t(i)] = IsDateColumn(columnNames[std::size_t(i)])
                                                            ? qb::ToAnsi(ResultDateText(text))
                                                            : text;
            }
        }
    } catch (...) {
        show();
        throw;
    }
    show();
}

void SearchStocks(TStockServiceClient& service, TFilterFm& editor, const QDate& tradeDate,
                  const TSearchProgress& progress) {
    auto hide = [&] {
        if (progress.Hide)
            progress.Hide();
    };
    std::string token;
    try {
        if (progress.Show)
            progress.Show(TranslateText(QStringLiteral("Sending query to server. Please wait...")));
        token = service.OpenSession();
        if (!token.empty()) {
            TXrArray params;
            params.AddString(token);
            QString message;
            std::unique_ptr<TXrStruct> request = BuildFindStocksRequest(editor, tradeDate, message);
            if (!request)
                throw Exception(qb::ToAnsi(message));
            params.Add(std::move(request));
            std::unique_ptr<TXrValue> result = service.CallInThread(FindStocksMethod, params);
            const TXrStruct& response = ResultStruct(result.get(), FindStocksMethod);
            CheckResultError(response);
            FillResultsGrid(editor, response, hide);
        }
    } catch (...) {
        hide();
        if (!token.empty()) {
            try {
                service.CloseSession(token);
            } catch (...) {
            }
        }
        throw;
    }
    hide();
    if (!token.empty()) {
        try {
            service.CloseSession(token);
        } catch (...) {
        }
    }
}

QDate EarliestTradeDate() {
    return QDate(2006, 8, 30);
}
