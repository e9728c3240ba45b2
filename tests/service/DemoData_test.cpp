// The demo data set: its size, its days, the range of every field, and its
// agreement with the default settings file.
#include "service/DemoData.h"
#include "service/ServiceOptions.h"
#include "support/DbOracle.h"
#include "support/IniFile.h"
#include "support/ServiceFixture.h"

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <unistd.h>

namespace {

std::string Scratch(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            (name + std::to_string(::getpid()) + ".sqlite"))
        .string();
}

std::string QuotedList(const std::vector<std::string>& items) {
    std::string list;
    for (const auto& item : items)
        list += (list.empty() ? "'" : ", '") + item + "'";
    return list;
}

TEST(DemoData, DefaultSettingsFileMatchesTheDataAndTheDemoAccount) {
    auto ini = qb::TIniFile::LoadFromFile(QString(QB_SOURCE_DIR) + "/data/quillbrook.ini");
    EXPECT_EQ(ini.SectionValues("Industries", qb::TIniEntryForm::WholeLine), DemoIndustries());
    EXPECT_EQ(ini.ReadString("Account", "UserName", ""), DemoAccount().UserName);
    EXPECT_EQ(ini.ReadString("Account", "Password", ""), DemoAccount().Password);
    EXPECT_EQ(ini.ReadString("Server", "ServerHost", ""), "127.0.0.1");
    EXPECT_GT(ini.ReadInteger("Server", "ServerPort", 0), 0);
    // Every industry of the data can be chosen in the client.
    EXPECT_EQ(QueryCount("SELECT COUNT(*) FROM stocks WHERE INDUSTRY NOT IN (" +
                         QuotedList(DemoIndustries()) + ")"),
              0);
}

TEST(DemoData, FullSetHasOverFiveThousandStocksOfBothCountriesOnTheSixExchanges) {
    std::string path = Scratch("qb-demo-full");
    TDemoDataOptions options; // the default size, few days
    options.LastDay = QDate(2007, 1, 31);
    CreateDemoDatabase(path, options);
    EXPECT_GE(QueryCount("SELECT COUNT(*) FROM stocks", path), 5000);
    EXPECT_EQ(QueryValue("SELECT group_concat(x, ' ') FROM (SELECT DISTINCT COUNTRY || ':' || "
                         "EXCHANGE x FROM stocks ORDER BY 1)",
                         path),
              "CA:TSX CA:TSX-V US:AMEX US:NASDAQ US:NYSE US:OTC");
    EXPECT_EQ(
        QueryCount("SELECT MIN(n) > 250 FROM (SELECT COUNT(*) n FROM stocks GROUP BY EXCHANGE)",
                   path),
        1);
    EXPECT_EQ(QueryCount("SELECT COUNT(DISTINCT INDUSTRY) FROM stocks", path),
              static_cast<long long>(DemoIndustries().size()));
    EXPECT_EQ(QueryCount("SELECT COUNT(*) FROM snapshots", path),
              QueryCount("SELECT COUNT(*) * 3 FROM stocks", path)); // 2006-08-30, 11-30, 2007-01-31
    std::filesystem::remove(path);
}

TEST(DemoData, SnapshotsCoverEveryTradeDateWithoutLongGaps) {
    EXPECT_EQ(QueryValue("SELECT date(julianday('1600-01-01') + MIN(SNAPDAY)) FROM snapshots"),
              "2006-08-30");
    EXPECT_EQ(QueryValue("SELECT date(julianday('1600-01-01') + MAX(SNAPDAY)) FROM snapshots"),
              "2026-06-30");
    EXPECT_LE(
        QueryCount(
            "SELECT MAX(b.SNAPDAY - a.SNAPDAY) FROM (SELECT DISTINCT SNAPDAY FROM snapshots) a "
            "JOIN (SELECT DISTINCT SNAPDAY FROM snapshots) b ON b.SNAPDAY = "
            "(SELECT MIN(SNAPDAY) FROM snapshots WHERE SNAPDAY > a.SNAPDAY)"),
        92);
    // Every stock in every snapshot.
    EXPECT_EQ(QueryCount("SELECT COUNT(*) FROM snapshots"),
              QueryCount(
                  "SELECT (SELECT COUNT(DISTINCT SNAPDAY) FROM snapshots) * COUNT(*) FROM stocks"));
}

TEST(DemoData, EveryFieldVariesWithinTheBoundsTheClientOffers) {
    struct TBounds {
        const char* Column;
        double Lo, Hi;
    };
    const TBounds bounds[] = {
        {"CLOSINGPRICE", 0, 9999999},
        {"PERCENTCHANGEFROMPREVIOUSDAY", -9999, 9999},
        {"LASTMONTHCHANGEPERCENT", -9999, 9999},
        {"THREEMONTHCHANGEPERCENT", -9999, 9999},
        {"YEARCHANGEPERCENT", -9999, 9999},
        {"PRICE52WEEKHIGH", 0, 9999999},
        {"PRICE52WEEKLOW", 0, 9999999},
        {"MOVINGAVERAGE50DAY", 0, 9999999},
        {"MOVINGAVERAGE200DAY", 0, 9999999},
        {"PETRAILING12MONTHS", 0, 9999999},
        {"PE1YEARFORWARD", 0, 9999999},
        {"PEINDUSTRY", 0, 9999999},
        {"PE5YEARHIGH", 0, 9999999},
        {"PE5YEARLOW", 0, 9999999},
        {"DIVIDENDYIELDASOFTRADEDATE", 0, 1000},
        {"DIVIDENDGROWTH5YEARPERCENT", 0, 1000},
        {"SALESLASTANNUAL", 0, 9999999999999},
        {"INCOMELASTANNUAL", -9999999999999, 9999999999999},
        {"INCOMEGROWTHLASTYEAR", -10000, 10000},
        {"INCOMEGROWTH5YEARPERCENT", -10000, 10000},
        {"SALESGROWTH5YEARPERCENT", -10000, 10000},
        {"NETPROFITMARGIN", -9999999, 9999999},
        {"MARKETCAP", 0, 9999999999999},
        {"NUMBEROFSHARES", 0, 9999999999999},
        {"DEBTEQUITYRATIO", 0, 10000},
        {"PRICETOBOOK", 0, 1000000},
        {"PRICETOBOOKINDUSTRY", 0, 1000000},
        {"PRICETOSALES", 0, 1000000},
        {"PRICETOSALESINDUSTRY", 0, 1000000},
        {"PRICETOCASHFLOW", -1000000, 1000000},
        {"PRICETOCASHFLOWINDUSTRY", -1000000, 1000000},
        {"SHORTPERCENTAGE", 0, 100},
        {"CASHTOMARKETCAP", 0, 1000000},
        {"SIMPLECASHTOMARKETCAP", 0, 1000000},
        {"PEGRATIO", 0, 1000000},
        {"BETA", -100, 100},
        {"INSIDERHOLDINGS", 0, 99999},
        {"INSTITUTIONALHOLDINGS", 0, 99999},
        {"INSIDERTRANSACTIONS6MONTHS", -1000, 1000},
        {"AVERAGEDAILYVOLUME", 0, 999999999999},
    };
    for (const auto& b : bounds) {
        SCOPED_TRACE(b.Column);
        std::string c = b.Column;
        EXPECT_EQ(QueryCount("SELECT COUNT(*) FROM snapshots WHERE " + c + " < " +
                             std::to_string(b.Lo) + " OR " + c + " > " + std::to_string(b.Hi)),
                  0);
        EXPECT_GT(QueryCount("SELECT COUNT(DISTINCT " + c + ") FROM snapshots"), 20);
    }
    EXPECT_EQ(QueryCount("SELECT COUNT(*) FROM snapshots WHERE CLOSINGPRICE < PRICE52WEEKLOW OR "
                         "CLOSINGPRICE > PRICE52WEEKHIGH OR PE5YEARLOW > PE5YEARHIGH"),
              0);
    EXPECT_EQ(QueryCount("SELECT COUNT(*) FROM snapshots WHERE ANALYSTRECOMMENDATION NOT IN "
                         "('Strong Sell', 'Moderate Sell', 'Hold', 'Moderate Buy', 'Strong Buy')"),
              0);
    EXPECT_EQ(QueryCount("SELECT COUNT(DISTINCT ANALYSTRECOMMENDATION) FROM snapshots"), 5);
    for (const char* date : {"DIVIDENDDATE", "EXDIVIDENDDATE"}) {
        SCOPED_TRACE(date);
        std::string d = date;
        EXPECT_EQ(QueryCount("SELECT COUNT(*) FROM snapshots WHERE " + d +
                             " IS NOT NULL AND (date(" + d + ") IS NOT " + d + ")"),
                  0);
        EXPECT_GT(QueryCount("SELECT COUNT(DISTINCT " + d + ") FROM snapshots"), 100);
    }
}

TEST(DemoData, TheSameOptionsGiveTheSameData) {
    std::string a = Scratch("qb-demo-a"), b = Scratch("qb-demo-b");
    TDemoDataOptions options;
    options.StockCount = 40;
    options.LastDay = QDate(2008, 3, 1);
    CreateDemoDatabase(a, options);
    CreateDemoDatabase(b, options);
    const std::string digest =
        "SELECT (SELECT group_concat(SYMBOL || COMPANYNAME || INDUSTRY) FROM stocks) || "
        "(SELECT group_concat(SNAPDAY || CLOSINGPRICE || ifnull(PETRAILING12MONTHS, '') || "
        "ifnull(DIVIDENDDATE, '') || ifnull(ANALYSTRECOMMENDATION, '') || AVERAGEDAILYVOLUME) "
        "FROM snapshots)";
    EXPECT_EQ(QueryValue(digest, a), QueryValue(digest, b));
    std::filesystem::remove(a);
    std::filesystem::remove(b);
}

} // namespace
