#include "service/ServiceColumns.h"

#include <algorithm>
#include <cctype>

namespace {

TServiceColumn Snap(const char* name, int decimals) {
    return {name, std::string("q.") + name, TColumnKind::ckNumber, decimals};
}

std::vector<TServiceColumn> MakeColumns() {
    using K = TColumnKind;
    return {
        Snap("CLOSINGPRICE", 2),
        Snap("PERCENTCHANGEFROMPREVIOUSDAY", 2),
        Snap("LASTMONTHCHANGEPERCENT", 2),
        Snap("THREEMONTHCHANGEPERCENT", 2),
        Snap("YEARCHANGEPERCENT", 2),
        Snap("PRICE52WEEKHIGH", 2),
        Snap("PRICE52WEEKLOW", 2),
        Snap("MOVINGAVERAGE50DAY", 2),
        Snap("MOVINGAVERAGE200DAY", 2),
        Snap("PETRAILING12MONTHS", 2),
        Snap("PE1YEARFORWARD", 2),
        Snap("PEINDUSTRY", 2),
        Snap("PE5YEARHIGH", 2),
        Snap("PE5YEARLOW", 2),
        Snap("DIVIDENDYIELDASOFTRADEDATE", 2),
        Snap("DIVIDENDGROWTH5YEARPERCENT", 2),
        {"EXDIVIDENDDATE", "q.EXDIVIDENDDATE", K::ckDate, 0},
        {"DIVIDENDDATE", "q.DIVIDENDDATE", K::ckDate, 0},
        Snap("SALESLASTANNUAL", 0),
        Snap("INCOMELASTANNUAL", 0),
        Snap("INCOMEGROWTHLASTYEAR", 2),
        Snap("INCOMEGROWTH5YEARPERCENT", 2),
        Snap("SALESGROWTH5YEARPERCENT", 2),
        Snap("NETPROFITMARGIN", 2),
        Snap("MARKETCAP", 0),
        Snap("NUMBEROFSHARES", 0),
        {"INDUSTRY", "s.INDUSTRY", K::ckText, 0},
        {"EXCHANGE", "s.EXCHANGE", K::ckText, 0},
        {"SYMBOL", "s.SYMBOL", K::ckText, 0},
        Snap("DEBTEQUITYRATIO", 2),
        Snap("PRICETOBOOK", 2),
        Snap("PRICETOBOOKINDUSTRY", 2),
        Snap("PRICETOSALES", 2),
        Snap("PRICETOSALESINDUSTRY", 2),
        Snap("PRICETOCASHFLOW", 2),
        Snap("PRICETOCASHFLOWINDUSTRY", 2),
        Snap("SHORTPERCENTAGE", 2),
        Snap("CASHTOMARKETCAP", 2),
        Snap("SIMPLECASHTOMARKETCAP", 2),
        Snap("PEGRATIO", 2),
        Snap("BETA", 2),
        Snap("INSIDERHOLDINGS", 2),
        Snap("INSTITUTIONALHOLDINGS", 2),
        Snap("INSIDERTRANSACTIONS6MONTHS", 2),
        Snap("AVERAGEDAILYVOLUME", 0),
        {"ANALYSTRECOMMENDATION", "q.ANALYSTRECOMMENDATION", K::ckText, 0},
    };
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

} // namespace

const std::vector<TServiceColumn>& ServiceColumns() {
    static const std::vector<TServiceColumn> columns = MakeColumns();
    return columns;
}

const TServiceColumn* FindServiceColumn(std::string_view name) {
    for (const auto& column : ServiceColumns())
        if (SameName(column.Name, name))
            return &column;
    return nullptr;
}

const std::vector<TServiceColumn>& LeadingResultColumns() {
    static const std::vector<TServiceColumn> columns{
        {"COUNTRY", "s.COUNTRY", TColumnKind::ckText, 0},
        {"SYMBOL", "s.SYMBOL", TColumnKind::ckText, 0},
        {"EXCHANGE", "s.EXCHANGE", TColumnKind::ckText, 0},
        {"CompanyName", "s.COMPANYNAME", TColumnKind::ckText, 0},
    };
    return columns;
}
