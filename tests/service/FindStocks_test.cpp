// Searches end to end: request struct over TLS, answer checked against the
// stored data.
#include "support/DbOracle.h"
#include "support/FindRequest.h"
#include "support/ServiceFixture.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

const QDate kTradeDate(2012, 4, 17); // between the snapshots of 2012-02-29 and 2012-05-30

std::string SnapFilter(const QDate& date) {
    return " FROM snapshots q JOIN stocks s ON s.ID = q.STOCKID WHERE q.SNAPDAY = " +
           std::to_string(SnapshotOnOrBefore(date.toString(Qt::ISODate).toStdString()));
}

double Number(const std::string& text) {
    return std::stod(text);
}

class FindStocks : public ServiceFixture {};

TEST_F(FindStocks, EachCriterionTypeSelectsExactlyTheMatchingStocks) {
    struct TCase {
        const char* Name;
        std::function<void(TFindRequest&)> Add;
        std::string Where; // the same condition in the oracle's own SQL
    };
    std::vector<TCase> cases{
        {"range", [](TFindRequest& r) { r.Range("CLOSINGPRICE", 10, 50); },
         "q.CLOSINGPRICE >= 10 AND q.CLOSINGPRICE <= 50"},
        {"relative higher",
         [](TFindRequest& r) { r.Relative("PRICE52WEEKHIGH", true, 25, "CLOSINGPRICE"); },
         "q.PRICE52WEEKHIGH >= 1.25 * q.CLOSINGPRICE"},
        {"relative lower",
         [](TFindRequest& r) { r.Relative("PRICE52WEEKLOW", false, 5, "CLOSINGPRICE"); },
         "q.PRICE52WEEKLOW <= 0.95 * q.CLOSINGPRICE"},
        {"value list",
         [](TFindRequest& r) {
             r.Values("EXCHANGE", {"TSX", "TSX-V"});
         },
         "s.EXCHANGE IN ('TSX', 'TSX-V')"},
        {"recommendation",
         [](TFindRequest& r) { r.Values("ANALYSTRECOMMENDATION", {"Strong Buy"}); },
         "q.ANALYSTRECOMMENDATION = 'Strong Buy'"},
        {"date range",
         [](TFindRequest& r) {
             r.Dates("DIVIDENDDATE", {2012, 4, 18}, {2012, 5, 31});
         },
         "q.DIVIDENDDATE >= '2012-04-18' AND q.DIVIDENDDATE <= '2012-05-31'"},
        {"display only", [](TFindRequest& r) { r.Display("BETA"); }, "1"},
        {"five together",
         [](TFindRequest& r) {
             r.Range("MARKETCAP", 1e8, 1e13)
                 .Relative("MOVINGAVERAGE200DAY", false, 0, "CLOSINGPRICE")
                 .Values("EXCHANGE", {"NYSE", "NASDAQ", "TSX"})
                 .Dates("EXDIVIDENDDATE", {1900, 1, 1}, {2999, 12, 31})
                 .Range("PETRAILING12MONTHS", 0, 40);
         },
         "q.MARKETCAP BETWEEN 1e8 AND 1e13 AND q.MOVINGAVERAGE200DAY <= q.CLOSINGPRICE AND "
         "s.EXCHANGE IN "
         "('NYSE','NASDAQ','TSX') AND q.EXDIVIDENDDATE IS NOT NULL AND q.PETRAILING12MONTHS "
         "BETWEEN 0 AND 40"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TFindRequest request(kTradeDate);
        c.Add(request);
        auto result = Find(request.Build());
        ASSERT_FALSE(result->GetBoolean("Error"));
        TResultTable table = ReadResult(*result);
        long long expected =
            QueryCount("SELECT COUNT(*)" + SnapFilter(kTradeDate) + " AND " + c.Where);
        EXPECT_GT(expected, 0) << "the fixture should hold matches";
        EXPECT_EQ(static_cast<long long>(table.Rows.size()), expected);
        EXPECT_FALSE(table.Truncated);
        ASSERT_GE(table.Columns.size(), 4u);
        EXPECT_EQ(std::vector<std::string>(table.Columns.begin(), table.Columns.begin() + 4),
                  (std::vector<std::string>{"COUNTRY", "SYMBOL", "EXCHANGE", "CompanyName"}));
        for (const auto& row : table.Rows)
            ASSERT_EQ(row.size(), table.Columns.size());
    }
}

TEST_F(FindStocks, ValuesComeFromTheLatestSnapshotOnOrBeforeTheTradeDate) {
    std::string symbol = QueryValue("SELECT SYMBOL FROM stocks WHERE ID = 7");
    std::string country = QueryValue("SELECT COUNTRY FROM stocks WHERE ID = 7");
    struct TCase {
        QDate TradeDate;
        std::string SnapshotDay; // ISO day whose values must come back
    };
    for (const auto& c :
         {TCase{{2012, 4, 17}, "2012-02-29"}, TCase{{2012, 5, 30}, "2012-05-30"},
          TCase{{2026, 12, 11}, "2026-06-30"}, TCase{{2006, 8, 30}, "2006-08-30"}}) {
        SCOPED_TRACE(c.SnapshotDay);
        auto result = Find(TFindRequest(c.TradeDate)
                               .Display("CLOSINGPRICE")
                               .Display("DIVIDENDDATE")
                               .Symbol(country, symbol)
                               .Build());
        TResultTable table = ReadResult(*result);
        ASSERT_EQ(table.Rows.size(), 1u);
        std::string where = " AND s.ID = 7";
        std::string day = std::to_string(
            QDate(1600, 1, 1)
                .daysTo(QDate::fromString(QString::fromStdString(c.SnapshotDay), Qt::ISODate)));
        std::string stored = QueryValue("SELECT printf('%.2f', CLOSINGPRICE) FROM snapshots WHERE "
                                        "STOCKID = 7 AND SNAPDAY = " +
                                        day);
        EXPECT_EQ(table.Rows[0][table.Column("CLOSINGPRICE")], stored);
        std::string dividend = table.Rows[0][table.Column("DIVIDENDDATE")];
        EXPECT_TRUE(dividend.empty() ||
                    QDate::fromString(QString::fromStdString(dividend), "yyyy-MM-dd").isValid())
            << dividend;
    }
    // Before the first snapshot there is no data: an empty answer, not an error.
    auto early = Find(TFindRequest({2006, 8, 29}).Display("CLOSINGPRICE").Build());
    EXPECT_FALSE(early->GetBoolean("Error"));
    EXPECT_EQ(early->GetArray("Results").Count(), 0);
}

TEST_F(FindStocks, SymbolsRestrictTheAnswerToThoseStocks) {
    std::string us =
        QueryValue("SELECT SYMBOL FROM stocks WHERE COUNTRY = 'US' ORDER BY ID LIMIT 1");
    std::string ca =
        QueryValue("SELECT SYMBOL FROM stocks WHERE COUNTRY = 'CA' ORDER BY ID LIMIT 1");
    QString lower = QString::fromStdString(ca).toLower();
    auto result = Find(TFindRequest(kTradeDate)
                           .Display("INDUSTRY")
                           .Symbol("US", us)
                           .Symbol("ca", lower.toStdString()) // as typed, in lower case
                           .Symbol("US", "NOSUCHSYMBOL")
                           .Symbol("DE", us) // right symbol, wrong country
                           .Build());
    TResultTable table = ReadResult(*result);
    std::set<std::string> found;
    for (const auto& row : table.Rows)
        found.insert(row[0] + ":" + row[1]);
    EXPECT_EQ(found, (std::set<std::string>{"US:" + us, "CA:" + ca}));
}

TEST_F(FindStocks, ResultsStopAtTheMaximumAndSaySo) {
    TServiceOptions options = DefaultOptions();
    options.MaxRows = 10;
    Restart(options);
    auto cut = ReadResult(*Find(TFindRequest(kTradeDate).Display("BETA").Build()));
    EXPECT_EQ(cut.Rows.size(), 10u);
    EXPECT_TRUE(cut.Truncated);

    // Exactly as many matches as the maximum is no cut.
    std::string tenth =
        QueryValue("SELECT printf('%.2f', CLOSINGPRICE) FROM (SELECT q.CLOSINGPRICE" +
                   SnapFilter(kTradeDate) + " ORDER BY q.CLOSINGPRICE LIMIT 1 OFFSET 9)");
    auto exact = ReadResult(
        *Find(TFindRequest(kTradeDate).Range("CLOSINGPRICE", 0, std::stod(tenth)).Build()));
    EXPECT_EQ(exact.Rows.size(), 10u);
    EXPECT_FALSE(exact.Truncated);
}

TEST_F(FindStocks, NumbersAndDatesAreTextInPlainForm) {
    auto table = ReadResult(*Find(TFindRequest(kTradeDate)
                                      .Display("CLOSINGPRICE")
                                      .Display("MARKETCAP")
                                      .Display("EXDIVIDENDDATE")
                                      .Display("PETRAILING12MONTHS")
                                      .Build()));
    ASSERT_FALSE(table.Rows.empty());
    int price = table.Column("CLOSINGPRICE"), cap = table.Column("MARKETCAP"),
        exDate = table.Column("EXDIVIDENDDATE"), pe = table.Column("PETRAILING12MONTHS");
    bool someEmptyPe = false, someDate = false;
    for (const auto& row : table.Rows) {
        EXPECT_EQ(row[price].find_first_not_of("0123456789."), std::string::npos) << row[price];
        EXPECT_EQ(row[price].size() - row[price].find('.'), 3u) << row[price];
        EXPECT_EQ(row[cap].find_first_not_of("0123456789"), std::string::npos) << row[cap];
        EXPECT_GT(Number(row[cap]), 0);
        if (!row[exDate].empty()) {
            someDate = true;
            EXPECT_TRUE(
                QDate::fromString(QString::fromStdString(row[exDate]), "yyyy-MM-dd").isValid());
        }
        someEmptyPe |= row[pe].empty(); // companies without earnings have no P/E
    }
    EXPECT_TRUE(someDate);
    EXPECT_TRUE(someEmptyPe);
}

TEST_F(FindStocks, RefusedRequestsAnswerWithErrorAndTheServiceGoesOn) {
    struct TCase {
        const char* Name;
        std::function<void(TFindRequest&)> Add;
        int Code;
    };
    std::vector<TCase> cases{
        {"unknown column", [](TFindRequest& r) { r.Range("NOSUCHFIELD", 0, 1); }, 2},
        {"unknown reference",
         [](TFindRequest& r) { r.Relative("PRICE52WEEKHIGH", true, 5, "NOPE"); }, 2},
        {"range over text", [](TFindRequest& r) { r.Range("INDUSTRY", 0, 1); }, 3},
        {"date range over number",
         [](TFindRequest& r) {
             r.Dates("CLOSINGPRICE", {2000, 1, 1}, {2001, 1, 1});
         },
         3},
        {"unknown filter type",
         [](TFindRequest& r) {
             TXrStruct& c = r.RawCriterion();
             c.AddString("ColumnName", "BETA");
             c.AddInteger("FilterType", 9);
         },
         3},
        {"range without maximum",
         [](TFindRequest& r) {
             TXrStruct& c = r.RawCriterion();
             c.AddString("ColumnName", "BETA");
             c.AddInteger("FilterType", 1);
             c.AddDouble("MinValue", 1);
         },
         3},
        {"value list of numbers",
         [](TFindRequest& r) {
             TXrStruct& c = r.RawCriterion();
             c.AddString("ColumnName", "EXCHANGE");
             c.AddInteger("FilterType", 3);
             c.AddArray("ValueList").AddString("NYSE"); // not a value struct
             c.AddInteger("ValueListDataType", 1);
         },
         3},
        {"column name not a string",
         [](TFindRequest& r) {
             TXrStruct& c = r.RawCriterion();
             c.AddInteger("ColumnName", 5);
             c.AddInteger("FilterType", 0);
         },
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TFindRequest request(kTradeDate);
        c.Add(request);
        auto result = Find(request.Build());
        EXPECT_TRUE(result->GetBoolean("Error"));
        EXPECT_EQ(result->GetInteger("ErrorCode"), c.Code);
        EXPECT_FALSE(result->GetString("ErrorMessage").empty());
    }
    // A stale session is refused the same way.
    TXrArray params;
    params.AddString("0123456789abcdef0123456789abcdef");
    params.Add(TFindRequest(kTradeDate).Display("BETA").Build());
    auto stale = Call("StockService.FindStocks", params);
    auto* staleResult = dynamic_cast<TXrStruct*>(stale.get());
    ASSERT_TRUE(staleResult);
    EXPECT_TRUE(staleResult->GetBoolean("Error"));
    EXPECT_EQ(staleResult->GetInteger("ErrorCode"), 1);

    auto fine = Find(TFindRequest(kTradeDate).Display("BETA").Build());
    EXPECT_FALSE(fine->GetBoolean("Error"));
}

TEST_F(FindStocks, ValuesBuiltToInjectSqlAreOnlyData) {
    long long stocks = QueryCount("SELECT COUNT(*) FROM stocks");
    const std::vector<std::string> attacks{"x' OR '1'='1", "NYSE'); DROP TABLE stocks; --",
                                           "\" OR 1=1 --", "%' OR 1=1 /*"};
    for (const auto& attack : attacks) {
        SCOPED_TRACE(attack);
        auto listed =
            ReadResult(*Find(TFindRequest(kTradeDate).Values("EXCHANGE", {attack}).Build()));
        EXPECT_TRUE(listed.Rows.empty());
        auto bySymbol = ReadResult(
            *Find(TFindRequest(kTradeDate).Display("BETA").Symbol("US", attack).Build()));
        EXPECT_TRUE(bySymbol.Rows.empty());
        auto asColumn =
            Find(TFindRequest(kTradeDate).Range("BETA) OR (1=1" + attack, 0, 1).Build());
        EXPECT_EQ(asColumn->GetInteger("ErrorCode"), 2);
        auto asReference =
            Find(TFindRequest(kTradeDate).Relative("BETA", true, 1, "CLOSINGPRICE OR 1=1").Build());
        EXPECT_EQ(asReference->GetInteger("ErrorCode"), 2);
    }
    EXPECT_EQ(QueryCount("SELECT COUNT(*) FROM stocks"), stocks);
}

} // namespace
