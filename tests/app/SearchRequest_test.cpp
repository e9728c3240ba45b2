#include "app/SearchRequest.h"

#include "../common/ScriptedDialogs.h"
#include "app/StockService.h"
#include "filter/TChoicePanel.h"
#include "filter/TChoicePanelManualList.h"
#include "filter/TDateRangePanel.h"
#include "filter/TFilterFm.h"
#include "filter/TRangePanel.h"
#include "filter/TRelativePanel.h"
#include "grid/TStringGridEx.h"
#include "service/DemoData.h"
#include "service/ReferenceService.h"
#include "support/AppEnvironment.h"
#include "support/DayNumbers.h"
#include "support/Win1252.h"
#include "xmlrpc/XrValues.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QListWidget>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

std::vector<std::string> Names(const TXrStruct& s) {
    std::vector<std::string> names;
    for (int i = 1; i <= s.Count(); ++i)
        names.push_back(s.NameAt(i));
    return names;
}

TXrStruct& StructAt(const TXrArray& array, int index) {
    auto* item = dynamic_cast<TXrStruct*>(array.Item(index));
    if (!item)
        throw Exception("not a struct");
    return *item;
}

double DoubleOf(const TXrStruct& s, const char* name) {
    return dynamic_cast<TXrDouble&>(*s.Find(name)).Value;
}

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        qb::SetSettingsFilePath(QStringLiteral("/nonexistent/quillbrook.ini"));
        Editor = std::make_unique<TFilterFm>(nullptr, QStringList{});
        Editor->BuildFieldTree();
    }

    template <class TPanel = TFilterValuePanel>
    TPanel& Use(const char* column, TFilterUsage usage) {
        TFilterValuePanel* panel = Editor->FindPanel(column);
        EXPECT_NE(panel, nullptr) << column;
        panel->SetUsage(usage);
        panel->UsageGroupClick();
        return dynamic_cast<TPanel&>(*panel);
    }

    std::unique_ptr<TXrStruct> Build() {
        QString message;
        auto request = BuildFindStocksRequest(*Editor, Date, message);
        EXPECT_TRUE(message.isEmpty()) << message.toStdString();
        EXPECT_NE(request, nullptr);
        return request;
    }

    const QDate Date{2026, 6, 30};
    std::unique_ptr<TFilterFm> Editor;
};

} // namespace

TEST_F(SearchTest, CriteriaInTreeOrderWithTheirMembers) {
    // Set in reverse tree order: the request still follows the tree.
    auto& dates = Use<TDateRangePanel>("DIVIDENDDATE", fuUseFilter);
    dates.SetMinimum(QDateTime(QDate(2007, 3, 15), QTime(14, 30)));
    dates.SetMaximum(QDateTime(QDate(2008, 1, 2), QTime(9, 0)));
    auto& exchange = Use<TChoicePanel>("EXCHANGE", fuUseFilter);
    exchange.SetSelected(2, true); // NASDAQ
    exchange.SetSelected(0, true); // NYSE
    Use("PRICE52WEEKHIGH", fuUseFilter);
    Use("PERCENTCHANGEFROMPREVIOUSDAY", fuDisplayOnly);
    auto& closing = Use<TRangePanel>("CLOSINGPRICE", fuUseFilter);
    closing.SetMinimum(1);
    closing.SetMaximum(5);

    const std::unique_ptr<TXrStruct> request = Build();
    EXPECT_EQ(Names(*request), (std::vector<std::string>{"TradeDate", "Columns", "Symbols"}));
    EXPECT_EQ(request->GetDate("TradeDate"), qb::QDateToDayNumber(Date));
    EXPECT_EQ(dynamic_cast<TXrDateTime&>(*request->Find("TradeDate")).Time, 0);
    EXPECT_EQ(request->GetArray("Symbols").Count(), 0);

    const TXrArray& columns = request->GetArray("Columns");
    struct TExpected {
        const char* Column;
        int FilterType;
        std::vector<std::string> Members;
    } expected[] = {
        {"CLOSINGPRICE", 1, {"ColumnName", "FilterType", "MinValue", "MaxValue"}},
        {"PERCENTCHANGEFROMPREVIOUSDAY", 0, {"ColumnName", "FilterType"}},
        {"PRICE52WEEKHIGH",
         2,
         {"ColumnName", "FilterType", "HigherThan", "RelativeValue", "RelativeColumn"}},
        {"DIVIDENDDATE", 4, {"ColumnName", "FilterType", "MinDate", "MaxDate"}},
        {"EXCHANGE", 3, {"ColumnName", "FilterType", "ValueList", "ValueListDataType"}},
    };
    ASSERT_EQ(columns.Count(), 5);
    for (int i = 0; i < 5; ++i) {
        const TXrStruct& criterion = StructAt(columns, i + 1);
        EXPECT_EQ(criterion.GetString("ColumnName"), expected[i].Column);
        EXPECT_EQ(criterion.GetInteger("FilterType"), expected[i].FilterType) << expected[i].Column;
        EXPECT_EQ(Names(criterion), expected[i].Members) << expected[i].Column;
    }
    EXPECT_EQ(DoubleOf(StructAt(columns, 1), "MinValue"), 1);
    EXPECT_EQ(DoubleOf(StructAt(columns, 1), "MaxValue"), 5);
    const TXrStruct& relative = StructAt(columns, 3);
    EXPECT_TRUE(relative.GetBoolean("HigherThan"));
    EXPECT_EQ(DoubleOf(relative, "RelativeValue"), 25);
    EXPECT_EQ(relative.GetString("RelativeColumn"), "CLOSINGPRICE");
    const TXrStruct& range = StructAt(columns, 4);
    EXPECT_EQ(range.GetDate("MinDate"), qb::DateToDayNumber(2007, 3, 15));
    EXPECT_EQ(range.GetDate("MaxDate"), qb::DateToDayNumber(2008, 1, 2));
    EXPECT_EQ(dynamic_cast<TXrDateTime&>(*range.Find("MinDate")).Time, 0);
    const TXrStruct& choice = StructAt(columns, 5);
    EXPECT_EQ(choice.GetInteger("ValueListDataType"), 1);
    const TXrArray& values = choice.GetArray("ValueList");
    ASSERT_EQ(values.Count(), 2);
    EXPECT_EQ(StructAt(values, 1).GetString("StringValue"), "NYSE"); // list order
    EXPECT_EQ(StructAt(values, 2).GetString("StringValue"), "NASDAQ");
    EXPECT_EQ(Names(StructAt(values, 1)), std::vector<std::string>{"StringValue"});
}

TEST_F(SearchTest, SymbolListGoesToSymbolsNotColumns) {
    auto& symbols = Use<TChoicePanelManualList>("SYMBOL", fuDisplayOnly);
    symbols.AppendItem("US:IBM");
    symbols.AppendItem("DE:SAP");
    Use("CLOSINGPRICE", fuDisplayOnly);
    std::unique_ptr<TXrStruct> request = Build();
    ASSERT_EQ(request->GetArray("Columns").Count(), 1);
    const TXrArray& list = request->GetArray("Symbols");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(Names(StructAt(list, 1)), (std::vector<std::string>{"Country", "Symbol"}));
    EXPECT_EQ(StructAt(list, 2).GetString("Country"), "DE");
    EXPECT_EQ(StructAt(list, 2).GetString("Symbol"), "SAP");

    // Used as a filter with an empty list: no message, an empty array.
    Use<TChoicePanelManualList>("SYMBOL", fuUseFilter).ItemList()->clear();
    request = Build();
    EXPECT_EQ(request->GetArray("Symbols").Count(), 0);
}

TEST(SplitSymbolItem, RunsBetweenColons) {
    struct TCase {
        std::string Item, Country, Symbol;
    } cases[] = {
        {"US:IBM", "US", "IBM"},     {"::US:::IBM:", "US", "IBM"},
        {"IBM", "IBM", ""},          {"", "", ""},
        {"US:IBM:X", "US", "IBM"},   {":", "", ""},
        {"us:brk.b", "us", "brk.b"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(SplitSymbolItem(c.Item), std::make_pair(c.Country, c.Symbol)) << c.Item;
}

TEST_F(SearchTest, RefusedFiltersSayWhy) {
    struct TCase {
        const char* Name;
        std::function<void()> Setup;
        QString Message;
    } cases[] = {
        {"nothing used", [] {}, "Please select at least one filter parameter or display column"},
        {"only symbols",
         [&] { Use<TChoicePanelManualList>("SYMBOL", fuUseFilter).AppendItem("US:IBM"); },
         "Please select at least one filter parameter or display column"},
        {"choice without selection",
         [&] {
             Use("CLOSINGPRICE", fuDisplayOnly);
             Use("EXCHANGE", fuUseFilter);
         },
         "Please select values in Exchange filter"},
    };
    for (const TCase& c : cases) {
        SetUp();
        c.Setup();
        TScriptedDialogs dialogs;
        dialogs.ExpectInformation();
        EXPECT_FALSE(ValidateFilter(*Editor, Date)) << c.Name;
        ASSERT_EQ(dialogs.Messages.size(), 1u) << c.Name;
        EXPECT_EQ(dialogs.Messages[0].Text, c.Message) << c.Name;
    }
    SetUp();
    Use("EXCHANGE", fuDisplayOnly); // display only needs no values
    TScriptedDialogs quiet;
    EXPECT_TRUE(ValidateFilter(*Editor, Date));
}

namespace {

std::unique_ptr<TXrStruct> Response(std::vector<std::string> columns,
                                    std::vector<std::vector<std::string>> rows,
                                    std::optional<bool> truncated = std::nullopt) {
    auto response = std::make_unique<TXrStruct>();
    response->AddBoolean("Error", false);
    TXrArray& results = response->AddArray("Results");
    for (const auto& row : rows) {
        TXrArray& line = results.AddArray();
        for (const auto& cell : row)
            line.AddString(cell);
    }
    if (truncated)
        response->AddBoolean("ResultsTruncated", *truncated);
    TXrArray& names = response->AddArray("ColumnNames");
    for (const auto& name : columns)
        names.AddString(name);
    return response;
}

} // namespace

TEST_F(SearchTest, GridIsFilledWithCaptionsWidthsAndDates) {
    const std::vector<std::string> columns{"SYMBOL", "INDUSTRY", "DIVIDENDDATE", "CLOSINGPRICE"};
    for (std::optional<bool> truncated : {std::optional<bool>(), std::optional<bool>(false)}) {
        TScriptedDialogs dialogs; // no message
        int hidden = 0;
        FillResultsGrid(*Editor,
                        *Response(columns,
                                  {{"US:IBM", "Computers", "2007-03-15", "81.5"},
                                   {"US:KO", "Beverages", "", "40"},
                                   {"DE:SAP", "Software", "2007-02-30", "7"}},
                                  truncated),
                        [&] { ++hidden; });
        EXPECT_EQ(hidden, 0);
    }
    TStringGridEx& grid = *Editor->ResultsGrid();
    EXPECT_FALSE(grid.isHidden());
    ASSERT_EQ(grid.RowCount(), 4);
    ASSERT_EQ(grid.ColCount(), 4);
    const QFontMetrics metrics(grid.font());
    for (int i = 0; i < 4; ++i) {
        const QString caption = QString::fromStdString(Editor->ColumnCaption(columns[i]));
        EXPECT_EQ(grid.Cells(i, 0), caption);
        EXPECT_EQ(grid.ColWidths(i),
                  columns[i] == "INDUSTRY" ? 100 : metrics.horizontalAdvance(caption) + 5)
            << columns[i];
    }
    EXPECT_EQ(grid.Cells(0, 1), "US:IBM");
    EXPECT_EQ(grid.Cells(2, 1),
              QLocale::system().toString(QDate(2007, 3, 15), QLocale::ShortFormat));
    EXPECT_EQ(grid.Cells(2, 2), "");           // no date stays empty
    EXPECT_EQ(grid.Cells(2, 3), "2007-02-30"); // not a date: as it came
    EXPECT_EQ(grid.Cells(3, 3), "7");
}

TEST_F(SearchTest, NoMatchHidesTheGridAndCutListsSaySo) {
    {
        TScriptedDialogs dialogs;
        dialogs.ExpectInformation();
        int hidden = 0;
        FillResultsGrid(*Editor, *Response({"SYMBOL"}, {{"US:IBM"}}), nullptr);
        FillResultsGrid(*Editor, *Response({"SYMBOL"}, {}), [&] { ++hidden; });
        EXPECT_TRUE(Editor->ResultsGrid()->isHidden());
        EXPECT_EQ(Editor->ResultsGrid()->Cells(0, 1), "US:IBM"); // hidden, not cleared
        EXPECT_EQ(hidden, 1);
        EXPECT_EQ(dialogs.LastMessage().Text, "Your filter does not match any stock.\rPlease make "
                                              "your filter less selective.");
    }
    {
        TScriptedDialogs dialogs;
        dialogs.ExpectInformation();
        int hidden = 0;
        FillResultsGrid(*Editor, *Response({"SYMBOL"}, {{"A"}, {"B"}}, true), [&] {
            ++hidden;
            EXPECT_TRUE(dialogs.Messages.empty()); // the progress goes before the box
        });
        EXPECT_EQ(hidden, 1);
        EXPECT_EQ(dialogs.LastMessage().Text, "Please make your filter more selective.\rOnly the "
                                              "first 2 matches will be displayed.");
        EXPECT_FALSE(Editor->ResultsGrid()->isHidden());
        EXPECT_EQ(Editor->ResultsGrid()->RowCount(), 3);
    }
    // A short row fails after the rows before it were shown.
    EXPECT_THROW(
        FillResultsGrid(*Editor, *Response({"SYMBOL", "INDUSTRY"}, {{"A", "x"}, {"B"}}), nullptr),
        Exception);
    EXPECT_EQ(Editor->ResultsGrid()->Cells(1, 1), "x");
}

TEST_F(SearchTest, SessionIsClosedAfterEveryOutcome) {
    Use("CLOSINGPRICE", fuDisplayOnly);
    struct TCase {
        const char* Name;
        std::function<std::unique_ptr<TXrValue>()> Answer;
        std::string Error; // empty: success
    } cases[] = {
        {"rows",
         [] {
             return std::unique_ptr<TXrValue>(Response({"CLOSINGPRICE"}, {{"1"}, {"2"}}));
         },
         ""},
        {"refused",
         [] {
             auto r = std::make_unique<TXrStruct>();
             r->AddBoolean("Error", true);
             r->AddInteger("ErrorCode", 17);
             r->AddString("ErrorMessage", "Bad symbol");
             return std::unique_ptr<TXrValue>(std::move(r));
         },
         "17, Bad symbol"},
        {"not a struct", [] { return std::unique_ptr<TXrValue>(std::make_unique<TXrArray>()); },
         "Invalid type conversion"},
        {"crossed error", []() -> std::unique_ptr<TXrValue> { throw Exception("Timed out."); },
         "Timed out."},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> log;
        bool enabled = true;
        TStockServiceClient client("h", 1, {"demo", "demo"});
        client.SetWindowEnabled = [&](bool on) { enabled = on; };
        client.RemoteCall = [&](const std::string& method, const TXrArray& params,
                                bool threaded) -> std::unique_ptr<TXrValue> {
            log.push_back(method.substr(13) + (threaded ? "*" : "") + (enabled ? "" : "-off"));
            if (method == "StockService.OpenSession")
                return std::make_unique<TXrString>("tok");
            if (method == "StockService.CloseSession") {
                EXPECT_EQ(params.StringItem(1), "tok");
                return std::make_unique<TXrBoolean>(true);
            }
            EXPECT_EQ(params.StringItem(1), "tok");
            EXPECT_NE(dynamic_cast<TXrStruct*>(params.Item(2)), nullptr);
            return c.Answer();
        };
        TSearchProgress progress{[&](const QString& text) { log.push_back(text.toStdString()); },
                                 [&] { log.push_back("hide"); }};
        try {
            SearchStocks(client, *Editor, Date, progress);
            EXPECT_TRUE(c.Error.empty()) << c.Name;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message().rfind(c.Error, 0), 0u) << c.Name << ": " << e.Message();
        }
        ASSERT_GE(log.size(), 5u) << c.Name;
        EXPECT_EQ(log[0], "Sending query to server. Please wait...");
        EXPECT_EQ(log[1], "OpenSession");
        EXPECT_EQ(log[2], "FindStocks*-off") << c.Name;
        EXPECT_EQ(log[log.size() - 2], "hide") << c.Name;
        EXPECT_EQ(log.back(), "CloseSession") << c.Name;
        EXPECT_TRUE(enabled) << c.Name;
    }
    EXPECT_EQ(Editor->ResultsGrid()->RowCount(), 3); // from the successful case
}

TEST_F(SearchTest, NoSessionMeansNothingMoreIsSent) {
    Use("CLOSINGPRICE", fuDisplayOnly);
    TScriptedDialogs dialogs;
    dialogs.ExpectError();
    std::vector<std::string> log;
    TStockServiceClient client("h", 1, {});
    client.RemoteCall = [&](const std::string& method, const TXrArray&,
                            bool) -> std::unique_ptr<TXrValue> {
        log.push_back(method);
        throw ETransportError("Connection refused.");
    };
    int hidden = 0;
    SearchStocks(client, *Editor, Date, {nullptr, [&] { ++hidden; }});
    EXPECT_EQ(log, std::vector<std::string>{"StockService.OpenSession"});
    EXPECT_GE(hidden, 1);
}

// Against the reference service on a free loopback port, over TLS.
namespace {

const std::string& SmallDatabase() {
    static const std::string path = [] {
        const std::string target = std::string(QB_BINARY_DIR) + "/tests/app/demo-300.sqlite";
        if (!QFile::exists(QString::fromStdString(target))) {
            const std::string scratch =
                target + ".tmp" + std::to_string(QCoreApplication::applicationPid());
            TDemoDataOptions options;
            options.StockCount = 300;
            options.LastDay = QDate(2026, 6, 30);
            CreateDemoDatabase(scratch, options);
            QFile::rename(QString::fromStdString(scratch), QString::fromStdString(target));
        }
        return target;
    }();
    return path;
}

class ReferenceServiceTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        TServiceOptions options;
        options.DatabasePath = SmallDatabase();
        options.Accounts = {{"demo", "demo"}};
        options.LogCalls = false;
        Service = std::make_unique<TReferenceService>(options);
        Service->Start();
    }
    TStockServiceClient Client(TAccount account = {"demo", "demo"}) {
        TStockServiceClient client("127.0.0.1", Service->Port(), std::move(account));
        client.PumpMessages = [] { QCoreApplication::processEvents(); };
        return client;
    }
    std::unique_ptr<TReferenceService> Service;
};

} // namespace

TEST_F(ReferenceServiceTest, EachCriterionTypeFindsRealRows) {
    struct TCase {
        const char* Name;
        std::function<void()> Setup;
    } cases[] = {
        {"display only", [] {}},
        {"range",
         [&] {
             auto& p = Use<TRangePanel>("CLOSINGPRICE", fuUseFilter);
             p.SetMinimum(1);
             p.SetMaximum(100000);
         }},
        {"relative", [&] { Use<TRelativePanel>("PRICE52WEEKLOW", fuUseFilter).SetPercentage(0); }},
        {"value list",
         [&] {
             auto& p = Use<TChoicePanel>("EXCHANGE", fuUseFilter);
             for (int i = 0; i < p.ItemCount(); ++i)
                 p.SetSelected(i, true);
         }},
        {"date range",
         [&] {
             auto& p = Use<TDateRangePanel>("EXDIVIDENDDATE", fuUseFilter);
             p.SetMinimum(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
             p.SetMaximum(QDateTime(QDate(2030, 1, 1), QTime(0, 0)));
         }},
    };
    for (const TCase& c : cases) {
        SearchTest::SetUp();
        Use("CLOSINGPRICE", fuDisplayOnly);
        Use("EXDIVIDENDDATE", fuDisplayOnly);
        c.Setup();
        TScriptedDialogs dialogs; // a match, not truncated: no message
        ASSERT_TRUE(ValidateFilter(*Editor, Date)) << c.Name;
        TStockServiceClient client = Client();
        SearchStocks(client, *Editor, Date, {});
        const TStringGridEx& grid = *Editor->ResultsGrid();
        EXPECT_FALSE(grid.isHidden()) << c.Name;
        EXPECT_GT(grid.RowCount(), 1) << c.Name;
        EXPECT_GE(grid.ColCount(), 2) << c.Name;
    }
}

TEST_F(ReferenceServiceTest, SymbolsSitesAndRefusals) {
    TScriptedDialogs quiet; // any message before the expected ones fails
    TStockServiceClient client = Client();
    const auto sites = client.GetStockInfoSites();
    ASSERT_TRUE(sites.has_value());
    ASSERT_FALSE(sites->empty());

    // The first stock of an open search, then the same stock by its symbol.
    Use("CLOSINGPRICE", fuDisplayOnly);
    Use("EXCHANGE", fuDisplayOnly);
    SearchStocks(client, *Editor, Date, {});
    TStringGridEx& grid = *Editor->ResultsGrid();
    auto cell = [&](const char* column, int row) {
        for (int i = 0; i < grid.ColCount(); ++i)
            if (grid.Cells(i, 0) == QString::fromStdString(Editor->ColumnCaption(column)))
                return qb::ToAnsi(grid.Cells(i, row));
        ADD_FAILURE() << "no column " << column;
        return std::string();
    };
    const std::string symbol = cell("SYMBOL", 1);
    const std::string exchange = cell("EXCHANGE", 1);
    const std::string country = exchange.rfind("TSX", 0) == 0 ? "CA" : "US";
    Use<TChoicePanelManualList>("SYMBOL", fuUseFilter).AppendItem(country + ":" + symbol);
    SearchStocks(client, *Editor, Date, {});
    EXPECT_EQ(grid.RowCount(), 2) << country << ":" << symbol;
    EXPECT_EQ(cell("SYMBOL", 1), symbol);

    EXPECT_FALSE(client.GetStockInfoURL("US", "IBM", "NYSE", sites->front()).empty());
    {
        TScriptedDialogs dialogs;
        dialogs.ExpectError();
        EXPECT_EQ(client.GetStockInfoURL("US", "IBM", "NYSE", "No such site"), "");
        EXPECT_TRUE(dialogs.LastMessage().Text.contains("Unknown information site"));
    }
    {
        TScriptedDialogs dialogs;
        dialogs.ExpectError();
        TStockServiceClient stranger = Client({"demo", "wrong"});
        EXPECT_EQ(stranger.OpenSession(), "");
        EXPECT_TRUE(
            dialogs.LastMessage().Text.startsWith("Unable to open session with server.\r\r"));
    }
    Service->Stop();
    {
        TScriptedDialogs dialogs;
        dialogs.ExpectError();
        EXPECT_EQ(client.GetStockInfoSites(), std::nullopt);
        EXPECT_TRUE(dialogs.LastMessage().Text.startsWith(
            "Make sure you are currently connected to the Internet.\r\r"));
    }
}
