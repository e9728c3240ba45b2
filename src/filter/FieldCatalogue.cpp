#include "filter/FieldCatalogue.h"

#include "support/AppEnvironment.h"
#include "support/IniFile.h"

namespace {

// Kind parameters of one field, applied to its definition.
struct TKindParams {
    TPanelKind Kind;
    double Lower = 0, Upper = 0;
    std::string RelativeColumn, RelativeCaption;
    bool HigherThan = true;
    double Percentage = 0;
    std::vector<std::string> Choices;
};

TKindParams Range(double lower, double upper) {
    return {pkRange, lower, upper, {}, {}, true, 0, {}};
}
TKindParams Dates() {
    return {pkDateRange, 0, 0, {}, {}, true, 0, {}};
}
TKindParams Relative(const char* column, const char* caption, bool higherThan, double percentage) {
    return {pkRelative, 0, 0, column, caption, higherThan, percentage, {}};
}
TKindParams Choice(std::vector<std::string> values = {}) {
    return {pkChoice, 0, 0, {}, {}, true, 0, std::move(values)};
}
TKindParams ManualList() {
    return {pkManualList, 0, 0, {}, {}, true, 0, {}};
}

TFieldDef F(int category, const char* caption, const char* column, TKindParams params,
            const char* description) {
    TFieldDef f;
    f.Category = category;
    f.Caption = caption;
    f.ColumnName = column;
    f.Kind = params.Kind;
    f.LowerBound = params.Lower;
    f.UpperBound = params.Upper;
    if (params.Kind == pkDateRange) {
        f.LowerDate = QDate(1900, 1, 1);
        f.UpperDate = QDate(2999, 12, 31);
    }
    f.RelativeColumn = std::move(params.RelativeColumn);
    f.RelativeCaption = std::move(params.RelativeCaption);
    f.HigherThan = params.HigherThan;
    f.DefaultPercentage = params.Percentage;
    f.ChoiceValues = std::move(params.Choices);
    f.Description = description;
    return f;
}

} // namespace

const std::vector<TFieldCategory>& TFieldCatalogue::Categories() {
    // "Company" comes before "Other fundamentals" but their icons are the other way round.
    static const std::vector<TFieldCategory> categories = {
        {"Price", 0},  {"Earnings", 1}, {"Dividends", 2}, {"Company", 4}, {"Other fundamentals", 3},
        {"Volume", 5}, {"Analyst", 6},
    };
    return categories;
}

const std::vector<TFieldDef>& TFieldCatalogue::Fields() {
    // clang-format off
    static const std::vector<TFieldDef> fields = {
    F(0, "Closing price", "CLOSINGPRICE", Range(0.0, 9999999.0),
      "The price of the stock at the closing of the trade day."),
    F(0, "Change last day %", "PERCENTCHANGEFROMPREVIOUSDAY", Range(-9999.0, 9999.0),
      "The change in percentage relative to the closing price of the previous day."),
    F(0, "Change last month %", "LASTMONTHCHANGEPERCENT", Range(-9999.0, 9999.0),
      "The change in percentage relative to the closing price one month ago."),
    F(0, "Change last 3 months %", "THREEMONTHCHANGEPERCENT", Range(-9999.0, 9999.0),
      "The change in percentage relative to the closing price three months ago."),
    F(0, "Change last year %", "YEARCHANGEPERCENT", Range(-9999.0, 9999.0),
      "The change in percentage relative to the closing price one year ago."),
    F(0, "52 week high", "PRICE52WEEKHIGH", Relative("CLOSINGPRICE", "Closing price", true, 25),
      "The highest closing price in the previous 52 weeks."),
    F(0, "52 week low", "PRICE52WEEKLOW", Relative("CLOSINGPRICE", "Closing price", false, 5),
      "The lowest closing price in the previous 52 weeks."),
    F(0, "Average last 50 days", "MOVINGAVERAGE50DAY", Relative("CLOSINGPRICE", "Closing price", true, 5),
      "The average of the closing price in the previous 50 days."),
    F(0, "Average last 200 days", "MOVINGAVERAGE200DAY", Relative("CLOSINGPRICE", "Closing price", true, 5),
      "The average of the closing price in the previous 200 days."),
    F(1, "P/E trailing 12 months", "PETRAILING12MONTHS", Range(0.0, 9999999.0),
      "The stock's market capitalization divided by its after-tax earningsfor the trailing 12 months.\r\rCompanies that currently do not generate earnings don't have a P/E ratio."),
    F(1, "P/E forward 12 months", "PE1YEARFORWARD", Range(0.0, 9999999.0),
      "The stock's market capitalization divided by its estimated after-tax earningsfor the next 12 months.\r\rThe forward P/E ratio may not be available for companies that do not have aforward earnings estimate."),
    F(1, "P/E of industry", "PEINDUSTRY", Range(0.0, 9999999.0),
      "The average P/E ratio for companies in the same industry."),
    F(1, "P/E 5 year high", "PE5YEARHIGH", Range(0.0, 9999999.0),
      "The highest value of the P/E ratio in the previous 5 years."),
    F(1, "P/E 5 year low", "PE5YEARLOW", Range(0.0, 9999999.0),
      "The lowest value of the P/E ratio in the previous 5 years."),
    F(2, "Dividend yield %", "DIVIDENDYIELDASOFTRADEDATE", Range(0.0, 1000.0),
      "The amount of dividends paid per share annually, divided by the company'scurrent closing price.\r\rFor example, if a company pays a dividend of 1$ per share quarterly (4$ annually),and has a current stock price of 40$, it has a dividend yield of 10%."),
    F(2, "Dividend growth 5 year %", "DIVIDENDGROWTH5YEARPERCENT", Range(0.0, 1000.0),
      "The growth rate of the company's dividend in the past 5 years."),
    F(2, "Ex-Dividend Date", "EXDIVIDENDDATE", Dates(),
      "The date at which you must own a stock in order to receive\rthe dividend payment on the dividend date."),
    F(2, "Dividend Date", "DIVIDENDDATE", Dates(),
      "The date at which the dividend is paid to the owner of a stock."),
    F(3, "Sales last year", "SALESLASTANNUAL", Range(0.0, 9999999999999.0),
      "The amount of sales in the last year."),
    F(3, "Income last year", "INCOMELASTANNUAL", Range(0.0, 9999999999999.0),
      "The amount of income in the last year."),
    F(3, "Income growth last year %", "INCOMEGROWTHLASTYEAR", Range(-10000.0, 10000.0),
      "The growth rate of the company's income in the past year."),
    F(3, "Income growth 5 year %", "INCOMEGROWTH5YEARPERCENT", Range(-10000.0, 10000.0),
      "The growth rate of the company's income in the past 5 years."),
    F(3, "Sales growth 5 year %", "SALESGROWTH5YEARPERCENT", Range(-10000.0, 10000.0),
      "The growth rate of the company's sales in the past 5 years."),
    F(3, "Net profit margin %", "NETPROFITMARGIN", Range(-9999999.0, 9999999.0),
      "The net profit margin is the net profit divided by net revenues."),
    F(3, "Market capitalization", "MARKETCAP", Range(0.0, 9999999999999.0),
      "The market capitalization is the number of shares outstanding multiplied bythe current price per share."),
    F(3, "Shares outstanding", "NUMBEROFSHARES", Range(0.0, 9999999999999.0),
      "The number of shares issued by the company and in the hands of the public."),
    F(3, "Industry", "INDUSTRY", Choice(),
      ""),
    F(3, "Exchange", "EXCHANGE", Choice({"NYSE", "AMEX", "NASDAQ", "OTC", "TSX", "TSX-V"}),
      "The stock exchange on which the company trades\r\rNYSE = New York Stock Exchange\rAMEX = American Stock Exchange\rNASDAQ = Nasdaq Stock Market\rOTC = Pink sheets \"Over the counter\"\rTSX = Toronto Stock Exchange\rTSX-V = Toronto Venture Stock Exchange"),
    F(3, "Symbol", "SYMBOL", ManualList(),
      "Use this filter to return the information on\rspecific symbols.\rThe symbol must be preceeded by the country.\r\rFor example, the symbol for Microsoft is US:MSFT\rand the symbol for Petro Canada is CA:PCA"),
    F(4, "Dept/Equity ratio", "DEBTEQUITYRATIO", Range(0.0, 10000.0),
      "The dept to equity ratio is the long-term debt divided by the common shareholders' equity."),
    F(4, "Price/Book ratio", "PRICETOBOOK", Range(0.0, 1000000.0),
      "The price to book ratio is the company's market capitalization divided by thebook value of the company indicated on its last financial statement."),
    F(4, "Price/Book ratio of industry", "PRICETOBOOKINDUSTRY", Range(0.0, 1000000.0),
      "The average price to book ratio for companies in the same industry."),
    F(4, "Price/Sales ratio", "PRICETOSALES", Range(0.0, 1000000.0),
      "The price to sales ratio is the market capitalization divided by its sales over thetrailing 12 months."),
    F(4, "Price/Sales ratio of industry", "PRICETOSALESINDUSTRY", Range(0.0, 1000000.0),
      "The average price to sales ratio for companies in the same industry."),
    F(4, "Price/Cash flow ratio", "PRICETOCASHFLOW", Range(-1000000.0, 1000000.0),
      "The price to cash flow ratio is the market capitalization divided by its cash flowover the trailing 12 months."),
    F(4, "Price/Cash flow ratio of industry", "PRICETOCASHFLOWINDUSTRY", Range(-1000000.0, 1000000.0),
      "The average price to cash flow ratio for companies in the same industry."),
    F(4, "Short percentage", "SHORTPERCENTAGE", Range(0.0, 100.0),
      "The percentage of shares \"shorted\" with respect to the total float."),
    F(4, "Net Cash/Market capitalization ratio", "CASHTOMARKETCAP", Range(0.0, 1000000.0),
      "The net cash to market capitalzation ratio is the company's cash (cash + receivables +investments - debt - payables) divided by the company's market capitalization.\r\rFor example, if a company has no debt, 1 000$ of receivables, 1 000$ of payables, and\r1 000 000$ of cash and a market capitalization of 10 000 000$, it has a net cash to market\rcap ratio of 10%."),
    F(4, "Cash/Market capitalization ratio", "SIMPLECASHTOMARKETCAP", Range(0.0, 1000000.0),
      "The cash to market capitalzation ratio is the company's cash and short-term investments divided by the company's market capitalization.\r\rFor example, 1 000 000$ of cash and a market capitalization of 10 000 000$, it has a cash to market\rcap ratio of 10%."),
    F(4, "PEG ratio", "PEGRATIO", Range(0.0, 1000000.0),
      "The PEG (PE/Growth) is the trailing P/E ratio divided by the growth rate of earningsfor the next 12 months.\r\rFor example, if a company has a P/E ratio of 10 and earnings are estimated to grow by 10%in the next year, the PEG ratio is 1."),
    F(4, "Beta", "BETA", Range(-100.0, 100.0),
      "Beta is an indicator of the volatility of the price of the stock relative to theoverall market.\r\rA beta above 1 is more volatile than the overall market, while abeta below 1 is less volatile."),
    F(4, "Insider Holdings", "INSIDERHOLDINGS", Range(0.0, 99999.0),
      "The percentage of shares that are held by insiders of the company"),
    F(4, "Institutional Holdings", "INSTITUTIONALHOLDINGS", Range(0.0, 99999.0),
      "The percentage of shares that are held by institutations like\rmutual fund companies"),
    F(4, "Insider transactions last 6 months", "INSIDERTRANSACTIONS6MONTHS", Range(-1000.0, 1000.0),
      "The percentage of insider shares that have been purchased in the last\r6 months. If the value is negative, this is the percentage of insider\rshared that have been sold.\r\rFor example, if the value is 5%, this means 5% off all insider holdings\rwhere purchased in the last 6 months."),
    F(5, "Average daily volume", "AVERAGEDAILYVOLUME", Range(0.0, 999999999999.0),
      "The average number of shares traded on a daily basis."),
    F(6, "Analyst recommendation", "ANALYSTRECOMMENDATION",
      Choice({"Strong Sell", "Moderate Sell", "Hold", "Moderate Buy", "Strong Buy"}),
      ""),
    };
    // clang-format on
    return fields;
}

const TFieldDef* TFieldCatalogue::FindField(std::string_view columnName) {
    int index = IndexOf(columnName);
    return index < 0 ? nullptr : &Fields()[static_cast<size_t>(index)];
}

int TFieldCatalogue::IndexOf(std::string_view columnName) {
    const std::vector<TFieldDef>& fields = Fields();
    for (size_t i = 0; i < fields.size(); ++i)
        if (qb::TIniFile::SameText(fields[i].ColumnName, columnName))
            return static_cast<int>(i);
    return -1;
}

std::vector<std::string> TFieldCatalogue::IndustryValues(const QString& settingsPath) {
    if (settingsPath.isEmpty())
        return {};
    return qb::TIniFile::LoadFromFile(settingsPath)
        .SectionValues("Industries", qb::TIniEntryForm::WholeLine);
}

std::vector<std::string> TFieldCatalogue::IndustryValues() {
    return IndustryValues(qb::SettingsFilePath());
}

std::vector<TFieldDef> TFieldCatalogue::ForEditor() {
    std::vector<TFieldDef> fields = Fields();
    std::vector<std::string> industries = IndustryValues();
    for (TFieldDef& f : fields)
        if (f.ColumnName == IndustryColumn)
            f.ChoiceValues = industries;
    return fields;
}
