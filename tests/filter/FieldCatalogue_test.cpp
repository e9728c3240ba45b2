#include "filter/FieldCatalogue.h"

#include "support/AppEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(FieldCatalogueTest, CategoriesAndFieldsInTreeOrder) {
    const std::vector<std::pair<std::string, int>> categories = {
        {"Price", 0},  {"Earnings", 1}, {"Dividends", 2}, {"Company", 4}, {"Other fundamentals", 3},
        {"Volume", 5}, {"Analyst", 6}};
    ASSERT_EQ(TFieldCatalogue::Categories().size(), categories.size());
    for (size_t i = 0; i < categories.size(); ++i) {
        EXPECT_EQ(TFieldCatalogue::Categories()[i].Name, categories[i].first);
        EXPECT_EQ(TFieldCatalogue::Categories()[i].IconNumber, categories[i].second);
    }

    struct Row {
        const char *category, *caption, *column;
        TPanelKind kind;
        double lower, upper;
    } rows[] = {
        {"Price", "Closing price", "CLOSINGPRICE", pkRange, 0.0, 9999999.0},
        {"Price", "Change last day %", "PERCENTCHANGEFROMPREVIOUSDAY", pkRange, -9999.0, 9999.0},
        {"Price", "Change last month %", "LASTMONTHCHANGEPERCENT", pkRange, -9999.0, 9999.0},
        {"Price", "Change last 3 months %", "THREEMONTHCHANGEPERCENT", pkRange, -9999.0, 9999.0},
        {"Price", "Change last year %", "YEARCHANGEPERCENT", pkRange, -9999.0, 9999.0},
        {"Price", "52 week high", "PRICE52WEEKHIGH", pkRelative, 0.0, 0.0},
        {"Price", "52 week low", "PRICE52WEEKLOW", pkRelative, 0.0, 0.0},
        {"Price", "Average last 50 days", "MOVINGAVERAGE50DAY", pkRelative, 0.0, 0.0},
        {"Price", "Average last 200 days", "MOVINGAVERAGE200DAY", pkRelative, 0.0, 0.0},
        {"Earnings", "P/E trailing 12 months", "PETRAILING12MONTHS", pkRange, 0.0, 9999999.0},
        {"Earnings", "P/E forward 12 months", "PE1YEARFORWARD", pkRange, 0.0, 9999999.0},
        {"Earnings", "P/E of industry", "PEINDUSTRY", pkRange, 0.0, 9999999.0},
        {"Earnings", "P/E 5 year high", "PE5YEARHIGH", pkRange, 0.0, 9999999.0},
        {"Earnings", "P/E 5 year low", "PE5YEARLOW", pkRange, 0.0, 9999999.0},
        {"Dividends", "Dividend yield %", "DIVIDENDYIELDASOFTRADEDATE", pkRange, 0.0, 1000.0},
        {"Dividends", "Dividend growth 5 year %", "DIVIDENDGROWTH5YEARPERCENT", pkRange, 0.0,
         1000.0},
        {"Dividends", "Ex-Dividend Date", "EXDIVIDENDDATE", pkDateRange, 0.0, 0.0},
        {"Dividends", "Dividend Date", "DIVIDENDDATE", pkDateRange, 0.0, 0.0},
        {"Company", "Sales last year", "SALESLASTANNUAL", pkRange, 0.0, 9999999999999.0},
        {"Company", "Income last year", "INCOMELASTANNUAL", pkRange, 0.0, 9999999999999.0},
        {"Company", "Income growth last year %", "INCOMEGROWTHLASTYEAR", pkRange, -10000.0,
         10000.0},
        {"Company", "Income growth 5 year %", "INCOMEGROWTH5YEARPERCENT", pkRange, -10000.0,
         10000.0},
        {"Company", "Sales growth 5 year %", "SALESGROWTH5YEARPERCENT", pkRange, -10000.0, 10000.0},
        {"Company", "Net profit margin %", "NETPROFITMARGIN", pkRange, -9999999.0, 9999999.0},
        {"Company", "Market capitalization", "MARKETCAP", pkRange, 0.0, 9999999999999.0},
        {"Company", "Shares outstanding", "NUMBEROFSHARES", pkRange, 0.0, 9999999999999.0},
        {"Company", "Industry", "INDUSTRY", pkChoice, 0.0, 0.0},
        {"Company", "Exchange", "EXCHANGE", pkChoice, 0.0, 0.0},
        {"Company", "Symbol", "SYMBOL", pkManualList, 0.0, 0.0},
        {"Other fundamentals", "Dept/Equity ratio", "DEBTEQUITYRATIO", pkRange, 0.0, 10000.0},
        {"Other fundamentals", "Price/Book ratio", "PRICETOBOOK", pkRange, 0.0, 1000000.0},
        {"Other fundamentals", "Price/Book ratio of industry", "PRICETOBOOKINDUSTRY", pkRange, 0.0,
         1000000.0},
        {"Other fundamentals", "Price/Sales ratio", "PRICETOSALES", pkRange, 0.0, 1000000.0},
        {"Other fundamentals", "Price/Sales ratio of industry", "PRICETOSALESINDUSTRY", pkRange,
         0.0, 1000000.0},
        {"Other fundamentals", "Price/Cash flow ratio", "PRICETOCASHFLOW", pkRange, -1000000.0,
         1000000.0},
        {"Other fundamentals", "Price/Cash flow ratio of industry", "PRICETOCASHFLOWINDUSTRY",
         pkRange, -1000000.0, 1000000.0},
        {"Other fundamentals", "Short percentage", "SHORTPERCENTAGE", pkRange, 0.0, 100.0},
        {"Other fundamentals", "Net Cash/Market capitalization ratio", "CASHTOMARKETCAP", pkRange,
         0.0, 1000000.0},
        {"Other fundamentals", "Cash/Market capitalization ratio", "SIMPLECASHTOMARKETCAP", pkRange,
         0.0, 1000000.0},
        {"Other fundamentals", "PEG ratio", "PEGRATIO", pkRange, 0.0, 1000000.0},
        {"Other fundamentals", "Beta", "BETA", pkRange, -100.0, 100.0},
        {"Other fundamentals", "Insider Holdings", "INSIDERHOLDINGS", pkRange, 0.0, 99999.0},
        {"Other fundamentals", "Institutional Holdings", "INSTITUTIONALHOLDINGS", pkRange, 0.0,
         99999.0},
        {"Other fundamentals", "Insider transactions last 6 months", "INSIDERTRANSACTIONS6MONTHS",
         pkRange, -1000.0, 1000.0},
        {"Volume", "Average daily volume", "AVERAGEDAILYVOLUME", pkRange, 0.0, 999999999999.0},
        {"Analyst", "Analyst recommendation", "ANALYSTRECOMMENDATION", pkChoice, 0.0, 0.0},
    };
    const auto& fields = TFieldCatalogue::Fields();
    ASSERT_EQ(fields.size(), std::size(rows));
    int lastCategory = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        const TFieldDef& f = fields[i];
        const Row& r = rows[i];
        SCOPED_TRACE(r.column);
        EXPECT_EQ(TFieldCatalogue::Categories()[static_cast<size_t>(f.Category)].Name, r.category);
        EXPECT_GE(f.Category, lastCategory); // a category's fields follow each other
        lastCategory = f.Category;
        EXPECT_EQ(f.Caption, r.caption);
        EXPECT_EQ(f.ColumnName, r.column);
        EXPECT_EQ(f.Kind, r.kind);
        if (f.Kind == pkRange) {
            EXPECT_EQ(f.LowerBound, r.lower);
            EXPECT_EQ(f.UpperBound, r.upper);
        }
        if (f.Kind == pkDateRange) {
            EXPECT_EQ(f.LowerDate, QDate(1900, 1, 1));
            EXPECT_EQ(f.UpperDate, QDate(2999, 12, 31));
        }
        EXPECT_EQ(f.Description.empty(),
                  f.ColumnName == "INDUSTRY" || f.ColumnName == "ANALYSTRECOMMENDATION");
    }
}

TEST(FieldCatalogueTest, KindParameters) {
    struct Relative {
        const char* column;
        bool higherThan;
        double percentage;
    } relatives[] = {{"PRICE52WEEKHIGH", true, 25},
                     {"PRICE52WEEKLOW", false, 5},
                     {"MOVINGAVERAGE50DAY", true, 5},
                     {"MOVINGAVERAGE200DAY", true, 5}};
    for (const Relative& r : relatives) {
        const TFieldDef* f = TFieldCatalogue::FindField(r.column);
        ASSERT_NE(f, nullptr) << r.column;
        EXPECT_EQ(f->RelativeColumn, "CLOSINGPRICE");
        EXPECT_EQ(f->RelativeCaption, "Closing price");
        EXPECT_EQ(f->HigherThan, r.higherThan) << r.column;
        EXPECT_EQ(f->DefaultPercentage, r.percentage) << r.column;
    }
    using Values = std::vector<std::string>;
    EXPECT_EQ(TFieldCatalogue::FindField("EXCHANGE")->ChoiceValues,
              (Values{"NYSE", "AMEX", "NASDAQ", "OTC", "TSX", "TSX-V"}));
    EXPECT_EQ(TFieldCatalogue::FindField("ANALYSTRECOMMENDATION")->ChoiceValues,
              (Values{"Strong Sell", "Moderate Sell", "Hold", "Moderate Buy", "Strong Buy"}));
    EXPECT_TRUE(TFieldCatalogue::FindField("SYMBOL")->ChoiceValues.empty());
}

TEST(FieldCatalogueTest, DescriptionsKeepTheirExactTexts) {
    struct Case {
        const char *column, *description;
    } cases[] = {
        {"EXDIVIDENDDATE", "The date at which you must own a stock in order to receive\r"
                           "the dividend payment on the dividend date."},
        {"SHORTPERCENTAGE",
         "The percentage of shares \"shorted\" with respect to the total float."},
        {"PETRAILING12MONTHS",
         "The stock's market capitalization divided by its after-tax earningsfor the trailing 12 "
         "months.\r\rCompanies that currently do not generate earnings don't have a P/E ratio."},
        {"INSTITUTIONALHOLDINGS",
         "The percentage of shares that are held by institutations like\rmutual fund companies"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TFieldCatalogue::FindField(c.column)->Description, c.description) << c.column;
    EXPECT_EQ(TFieldCatalogue::FindField("SYMBOL")->Description.substr(0, 45),
              "Use this filter to return the information on\r");
}

TEST(FieldCatalogueTest, LookupIgnoresCase) {
    EXPECT_EQ(TFieldCatalogue::FindField("closingprice"), &TFieldCatalogue::Fields()[0]);
    EXPECT_EQ(TFieldCatalogue::IndexOf("Symbol"), 28);
    EXPECT_EQ(TFieldCatalogue::FindField("COMPANYNAME"), nullptr);
    EXPECT_EQ(TFieldCatalogue::IndexOf(""), -1);
}

TEST(FieldCatalogueTest, IndustriesComeFromTheSettingsFileEachTime) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("quillbrook.ini");
    const QString saved = qb::SettingsFilePath();
    qb::SetSettingsFilePath(path);
    auto industries = [] {
        for (const TFieldDef& f : TFieldCatalogue::ForEditor())
            if (f.ColumnName == "INDUSTRY")
                return f.ChoiceValues;
        return std::vector<std::string>{"not found"};
    };
    auto write = [&](const char* text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };

    EXPECT_TRUE(industries().empty()); // no settings file
    write("[Server]\r\nServerHost=h\r\n");
    EXPECT_TRUE(industries().empty()); // no section
    write("[Server]\r\nServerHost=h\r\n[industries]\r\n; comment\r\n Banks \r\n"
          "12 = Oil & Gas\r\nAirlines\r\nBanks\r\n\r\n[Other]\r\nX=1\r\n");
    EXPECT_EQ(industries(),
              (std::vector<std::string>{"Banks", "12=Oil & Gas", "Airlines", "Banks"}));
    write("[Industries]\r\nZinc\r\n");
    EXPECT_EQ(industries(), std::vector<std::string>{"Zinc"}); // read again, not cached
    EXPECT_TRUE(TFieldCatalogue::FindField("INDUSTRY")->ChoiceValues.empty());

    qb::SetSettingsFilePath(saved);
}

} // namespace
