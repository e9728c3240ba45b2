#include "service/DemoData.h"

#include "service/ServiceColumns.h"
#include "service/SqliteDb.h"
#include "service/StockSchema.h"
#include "support/Require.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <set>

namespace {

// Own generator and distributions: the standard ones differ between library
// versions, and the data set must be the same everywhere.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : FState(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    bool Chance(double p) { return Uniform() < p; }
    double Normal(double mean, double sd) {
        double u1 = std::max(Uniform(), 1e-300), u2 = Uniform();
        return mean + sd * std::sqrt(-2 * std::log(u1)) * std::cos(2 * M_PI * u2);
    }
    double LogNormal(double median, double sigma) { return median * std::exp(Normal(0, sigma)); }

private:
    std::uint64_t FState;
};

struct TExchange {
    const char* Name;
    const char* Country;
    int Weight;
    double PriceMedian;
    double SharesMedian;
    int MinLetters, MaxLetters;
    double Coverage; // chance of analyst coverage
};

const std::array<TExchange, 6> Exchanges{{
    {"NYSE", "US", 1500, 35, 120e6, 1, 3, 0.8},
    {"AMEX", "US", 450, 12, 25e6, 2, 3, 0.35},
    {"NASDAQ", "US", 1700, 18, 40e6, 4, 4, 0.6},
    {"OTC", "US", 650, 0.9, 60e6, 4, 5, 0.05},
    {"TSX", "CA", 500, 22, 90e6, 2, 4, 0.6},
    {"TSX-V", "CA", 400, 0.6, 50e6, 2, 4, 0.05},
}};

const std::array<const char*, 5> Recommendations{"Strong Sell", "Moderate Sell", "Hold",
                                                 "Moderate Buy", "Strong Buy"};

const char* const NameFirst[] = {
    "Amber",       "Arbor",     "Atlas",     "Aurora",     "Beacon",   "Birch",    "Blue Ridge",
    "Boreal",      "Bright",    "Cardinal",  "Cedar",      "Century",  "Clear",    "Coastal",
    "Copper",      "Crescent",  "Crown",     "Delta",      "Eagle",    "Eastern",  "Emerald",
    "Evergreen",   "Falcon",    "First",     "Frontier",   "Garnet",   "Golden",   "Granite",
    "Great Lakes", "Harbor",    "Heritage",  "Highland",   "Horizon",  "Iron",     "Juniper",
    "Keystone",    "Lakeshore", "Liberty",   "Lighthouse", "Maple",    "Meridian", "Midland",
    "Monarch",     "Northern",  "Northstar", "Oak",        "Orchard",  "Pacific",  "Pinnacle",
    "Pioneer",     "Prairie",   "Quarry",    "Redwood",    "Ridge",    "River",    "Sable",
    "Sagebrush",   "Silver",    "Sterling",  "Summit",     "Tamarack", "Titan",    "Union",
    "Valley",      "Vanguard",  "Western",   "Willow",     "Zenith"};
const char* const NameSecond[] = {
    "Analytics",      "Bancorp",     "Biosciences",  "Brands",       "Capital",   "Chemical",
    "Communications", "Dynamics",    "Energy",       "Engineering",  "Foods",     "Health",
    "Industries",     "Instruments", "Labs",         "Logistics",    "Materials", "Media",
    "Minerals",       "Networks",    "Partners",     "Pharma",       "Power",     "Resources",
    "Retail",         "Systems",     "Technologies", "Therapeutics", "Transport", "Ventures"};
const char* const NameSuffix[] = {"Inc.", "Corp.", "Ltd.", "Holdings Inc.", "Group", "Co."};

std::string MakeSymbol(TRandom& random, int letters) {
    std::string symbol;
    for (int i = 0; i < letters; ++i)
        symbol += static_cast<char>('A' + random.Below(26));
    return symbol;
}

double Clamp(double v, double lo, double hi) {
    return std::min(hi, std::max(lo, v));
}

struct TIndustryTraits {
    double Pe;     // typical trailing P/E
    double Margin; // typical net margin
    double Growth; // typical yearly sales growth
    double DividendOdds;
};

struct TStock {
    int Id;
    const TExchange* Exchange;
    std::string Symbol, Name;
    int Industry;
    double Shares, Beta, Margin, Growth, DebtEquity, ShortPct, InsiderPct, InstitutionPct;
    double Turnover, CashShare;
    bool PaysDividend;
    double DividendPerShare = 0, DividendGrowth = 0;
    int PayMonthOffset = 0;
    std::optional<int> Recommendation;
    // Monthly history, newest last.
    std::deque<double> Prices, Incomes, Sales, Pes;
    double Book = 0;
};

const std::vector<std::string>& Industries() {
    return DemoIndustries();
}

TIndustryTraits TraitsOf(int industry) {
    TRandom random(0xC0FFEEull + static_cast<std::uint64_t>(industry) * 7919);
    return {random.Uniform(9, 32), random.Uniform(0.02, 0.18), random.Uniform(0.0, 0.12),
            random.Uniform(0.15, 0.8)};
}

std::vector<TStock> MakeStocks(int count, TRandom& random) {
    int total = 0;
    for (const auto& exchange : Exchanges)
        total += exchange.Weight;
    std::vector<TStock> stocks;
    std::map<std::string, std::set<std::string>> symbols; // per country
    std::size_t nFirst = std::size(NameFirst), nSecond = std::size(NameSecond);
    for (int i = 0; i < count; ++i) {
        // Exchanges in proportion to their weights.
        int slot = static_cast<int>((static_cast<long long>(i) * total) / count), e = 0;
        while (slot >= Exchanges[e].Weight)
            slot -= Exchanges[e++].Weight;
        const TExchange& exchange = Exchanges[e];
        TStock s{};
        s.Id = i + 1;
        s.Exchange = &exchange;
        do {
            int letters =
                exchange.MinLetters + random.Below(exchange.MaxLetters - exchange.MinLetters + 1);
            s.Symbol = MakeSymbol(random, letters);
        } while (!symbols[exchange.Country].insert(s.Symbol).second);
        s.Name = std::string(NameFirst[random.Below(static_cast<int>(nFirst))]) + " " +
                 NameSecond[random.Below(static_cast<int>(nSecond))] + " " +
                 NameSuffix[random.Below(static_cast<int>(std::size(NameSuffix)))];
        s.Industry = random.Below(static_cast<int>(Industries().size()));
        TIndustryTraits traits = TraitsOf(s.Industry);
        s.Shares = std::round(random.LogNormal(exchange.SharesMedian, 1.0) / 1000) * 1000 + 100000;
        s.Beta = Clamp(random.Normal(1.0, 0.45), -0.8, 3.5);
        s.Margin = random.Normal(traits.Margin, 0.1);
        s.Growth = random.Normal(traits.Growth, 0.08);
        s.DebtEquity = random.LogNormal(0.45, 0.9);
        s.ShortPct = Clamp(random.LogNormal(2.5, 0.9), 0, 60);
        s.InsiderPct = Clamp(random.LogNormal(6, 1.0), 0, 90);
        s.InstitutionPct = Clamp(random.Uniform(5, 95) * (exchange.Coverage + 0.2), 0, 99);
        s.Turnover = random.LogNormal(0.006, 0.7);
        s.CashShare = random.Uniform(0.02, 0.35);
        s.PaysDividend = random.Chance(traits.DividendOdds * (exchange.Coverage + 0.2));
        s.PayMonthOffset = random.Below(3);
        if (random.Chance(exchange.Coverage))
            s.Recommendation =
                std::min(4, std::max(0, static_cast<int>(std::lround(random.Normal(2.6, 0.9)))));
        double price = random.LogNormal(exchange.PriceMedian, 0.8);
        s.Prices.push_back(price);
        double sales = price * s.Shares / random.LogNormal(1.4, 0.7);
        s.Sales.push_back(sales);
        s.Incomes.push_back(sales * s.Margin);
        s.Book = price * s.Shares / random.LogNormal(2.0, 0.6);
        if (s.PaysDividend) {
            s.DividendPerShare = price * Clamp(random.LogNormal(0.025, 0.5), 0.002, 0.12);
            s.DividendGrowth = Clamp(random.Normal(0.05, 0.04), 0, 0.3);
        }
        stocks.push_back(std::move(s));
    }
    return stocks;
}

void Keep(std::deque<double>& history, double value, std::size_t length) {
    history.push_back(value);
    while (history.size() > length)
        history.pop_front();
}

// One month of every stock: a market move shared by all, scaled by beta.
void AdvanceMonth(std::vector<TStock>& stocks, TRandom& random, int month) {
    double market = random.Normal(0.006, 0.045);
    for (auto& s : stocks) {
        double ret = s.Beta * market + random.Normal(0.002, 0.07 + 0.02 * s.Beta);
        // The largest companies stay below a few trillion in value.
        double price =
            Clamp(s.Prices.back() * std::exp(ret), 0.01, std::min(250000.0, 2.5e12 / s.Shares));
        Keep(s.Prices, price, 61);
        s.Margin = Clamp(s.Margin + random.Normal(0, 0.008), -0.6, 0.45);
        s.Growth = Clamp(s.Growth + random.Normal(0, 0.006), -0.3, 0.5);
        double sales = Clamp(s.Sales.back() * std::pow(1 + s.Growth, 1.0 / 12) *
                                 std::exp(random.Normal(0, 0.01)),
                             1e5, 1.5e12);
        Keep(s.Sales, sales, 61);
        Keep(s.Incomes, sales * s.Margin, 61);
        s.Book = std::max(s.Book + 0.5 * sales * s.Margin / 12, price * s.Shares * 0.02);
        s.DebtEquity = Clamp(s.DebtEquity * std::exp(random.Normal(0, 0.03)), 0, 50);
        s.ShortPct = Clamp(s.ShortPct * std::exp(random.Normal(0, 0.15)), 0, 60);
        if (s.PaysDividend && month % 12 == 0)
            s.DividendPerShare *= 1 + s.DividendGrowth;
        if (s.Recommendation && random.Chance(0.04))
            s.Recommendation =
                std::min(4, std::max(0, *s.Recommendation + (random.Chance(0.5) ? 1 : -1)));
    }
}

double Average(const std::deque<double>& history, std::size_t last) {
    last = std::min(last, history.size());
    double sum = 0;
    for (std::size_t i = history.size() - last; i < history.size(); ++i)
        sum += history[i];
    return sum / static_cast<double>(last);
}

double Ago(const std::deque<double>& history, std::size_t months) {
    return history[history.size() - 1 - std::min(months, history.size() - 1)];
}

// A positive ratio within `most`; none when either side is not positive or
// the ratio is beyond any sensible figure (earnings of almost nothing).
std::optional<double> Ratio(double a, double b, double most) {
    if (b <= 0 || a <= 0 || a / b > most)
        return std::nullopt;
    return a / b;
}

double Round(double value, int decimals) {
    double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

using TCell = std::optional<std::variant<double, std::string>>;
using TRow = std::vector<TCell>; // one cell per snapshot column

// Snapshot columns in table order.
const std::vector<std::string>& SnapshotColumns() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const auto& column : ServiceColumns())
            if (column.SqlExpr.rfind("q.", 0) == 0)
                list.push_back(column.Name);
        return list;
    }();
    return names;
}

std::size_t SnapshotIndex(const char* name) {
    const auto& names = SnapshotColumns();
    auto it = std::find(names.begin(), names.end(), name);
    Require(it != names.end(), std::string("No snapshot column ") + name);
    return static_cast<std::size_t>(it - names.begin());
}

// The cell of a column, its index looked up once per call site.
#define CELL(row, name)                                                                            \
    (row)[([] {                                                                                    \
        static const std::size_t i = SnapshotIndex(name);                                          \
        return i;                                                                                  \
    }())]

std::string Iso(const QDate& date) {
    return date.toString(Qt::ISODate).toStdString();
}

// The snapshot fields of one stock as of `day`, keyed by column name.
TRow Snapshot(TStock& s, TRandom& random, const QDate& day) {
    TRow v(SnapshotColumns().size());
    double price = s.Prices.back();
    double cap = price * s.Shares;
    double income = s.Incomes.back(), sales = s.Sales.back();
    CELL(v, "CLOSINGPRICE") = Round(price, 2);
    CELL(v, "PERCENTCHANGEFROMPREVIOUSDAY") = Round(random.Normal(0.05, 1.2 + s.Beta), 2);
    CELL(v, "LASTMONTHCHANGEPERCENT") = Round((price / Ago(s.Prices, 1) - 1) * 100, 2);
    CELL(v, "THREEMONTHCHANGEPERCENT") = Round((price / Ago(s.Prices, 3) - 1) * 100, 2);
    CELL(v, "YEARCHANGEPERCENT") = Round((price / Ago(s.Prices, 12) - 1) * 100, 2);
    double high = price, low = price;
    for (std::size_t m = 0; m <= 12; ++m) {
        high = std::max(high, Ago(s.Prices, m));
        low = std::min(low, Ago(s.Prices, m));
    }
    CELL(v, "PRICE52WEEKHIGH") = Round(high * (1 + std::abs(random.Normal(0, 0.04))), 2);
    CELL(v, "PRICE52WEEKLOW") =
        Round(low * (1 - std::min(0.5, std::abs(random.Normal(0, 0.04)))), 2);
    CELL(v, "MOVINGAVERAGE50DAY") =
        Round(Average(s.Prices, 2) * std::exp(random.Normal(0, 0.01)), 2);
    CELL(v, "MOVINGAVERAGE200DAY") =
        Round(Average(s.Prices, 7) * std::exp(random.Normal(0, 0.01)), 2);
    std::optional<double> pe = Ratio(cap, income, 5000);
    if (pe) {
        CELL(v, "PETRAILING12MONTHS") = Round(*pe, 2);
        Keep(s.Pes, *pe, 60);
    }
    if (auto forward = Ratio(cap, income * (1 + s.Growth), 5000))
        CELL(v, "PE1YEARFORWARD") = Round(*forward, 2);
    if (!s.Pes.empty()) {
        CELL(v, "PE5YEARHIGH") = Round(*std::max_element(s.Pes.begin(), s.Pes.end()), 2);
        CELL(v, "PE5YEARLOW") = Round(*std::min_element(s.Pes.begin(), s.Pes.end()), 2);
    }
    if (s.PaysDividend) {
        CELL(v, "DIVIDENDYIELDASOFTRADEDATE") = Round(s.DividendPerShare / price * 100, 2);
        CELL(v, "DIVIDENDGROWTH5YEARPERCENT") = Round(s.DividendGrowth * 100, 2);
        // Quarterly payments on the 15th; the next one after the snapshot day.
        QDate pay(day.year(), day.month(), 15);
        while ((pay.month() - 1) % 3 != s.PayMonthOffset || pay <= day)
            pay = pay.addMonths(1);
        CELL(v, "DIVIDENDDATE") = Iso(pay);
        CELL(v, "EXDIVIDENDDATE") = Iso(pay.addDays(-14 - s.PayMonthOffset * 3));
    } else {
        CELL(v, "DIVIDENDYIELDASOFTRADEDATE") = 0.0;
        CELL(v, "DIVIDENDGROWTH5YEARPERCENT") = 0.0;
    }
    CELL(v, "SALESLASTANNUAL") = std::round(sales);
    CELL(v, "INCOMELASTANNUAL") = std::round(income);
    double incomeYearAgo = Ago(s.Incomes, 12), incomeFiveAgo = Ago(s.Incomes, 60);
    if (incomeYearAgo > 0)
        CELL(v, "INCOMEGROWTHLASTYEAR") =
            Round(Clamp((income / incomeYearAgo - 1) * 100, -10000, 10000), 2);
    if (incomeFiveAgo > 0 && income > 0)
        CELL(v, "INCOMEGROWTH5YEARPERCENT") =
            Round(Clamp((std::pow(income / incomeFiveAgo, 0.2) - 1) * 100, -10000, 10000), 2);
    CELL(v, "SALESGROWTH5YEARPERCENT") =
        Round((std::pow(sales / Ago(s.Sales, 60), 0.2) - 1) * 100, 2);
    CELL(v, "NETPROFITMARGIN") = Round(s.Margin * 100, 2);
    CELL(v, "MARKETCAP") = std::round(cap);
    CELL(v, "NUMBEROFSHARES") = s.Shares;
    CELL(v, "DEBTEQUITYRATIO") = Round(s.DebtEquity, 2);
    if (auto pb = Ratio(cap, s.Book, 1000000))
        CELL(v, "PRICETOBOOK") = Round(*pb, 2);
    if (auto ps = Ratio(cap, sales, 1000000))
        CELL(v, "PRICETOSALES") = Round(*ps, 2);
    double cashFlow = income + sales * 0.05;
    if (cashFlow != 0)
        CELL(v, "PRICETOCASHFLOW") = Round(Clamp(cap / cashFlow, -1000000, 1000000), 2);
    CELL(v, "SHORTPERCENTAGE") = Round(s.ShortPct, 2);
    double cash = cap * s.CashShare;
    CELL(v, "SIMPLECASHTOMARKETCAP") = Round(s.CashShare * 100, 2);
    CELL(v, "CASHTOMARKETCAP") =
        Round(std::max(0.0, cash - s.Book * s.DebtEquity * 0.2) / cap * 100, 2);
    if (pe && s.Growth > 0.005)
        CELL(v, "PEGRATIO") = Round(Clamp(*pe / (s.Growth * 100), 0, 1000000), 2);
    CELL(v, "BETA") = Round(s.Beta, 2);
    CELL(v, "INSIDERHOLDINGS") = Round(s.InsiderPct, 2);
    CELL(v, "INSTITUTIONALHOLDINGS") = Round(s.InstitutionPct, 2);
    CELL(v, "INSIDERTRANSACTIONS6MONTHS") = Round(Clamp(random.Normal(0, 4), -100, 100), 2);
    CELL(v, "AVERAGEDAILYVOLUME") =
        std::round(s.Shares * s.Turnover * std::exp(random.Normal(0, 0.3)));
    if (s.Recommendation)
        CELL(v, "ANALYSTRECOMMENDATION") = std::string(Recommendations[*s.Recommendation]);
    return v;
}

// Industry averages of a ratio over the stocks that have it.
void FillIndustryAverage(std::vector<TRow>& rows, const std::vector<TStock>& stocks,
                         const char* columnName, const char* targetName) {
    std::size_t column = SnapshotIndex(columnName), target = SnapshotIndex(targetName);
    std::map<int, std::pair<double, int>> sums;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (auto& cell = rows[i][column]) {
            auto& [sum, n] = sums[stocks[i].Industry];
            sum += std::get<double>(*cell);
            ++n;
        }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto it = sums.find(stocks[i].Industry);
        if (it != sums.end())
            rows[i][target] = Round(it->second.first / it->second.second, 2);
    }
}

std::vector<QDate> SnapshotDays(const QDate& first, const QDate& last, int monthStep) {
    std::vector<QDate> days;
    for (int k = 0;; k += monthStep) {
        QDate day = first.addMonths(k);
        if (day > last)
            break;
        days.push_back(day);
    }
    if (days.empty() || days.back() != last)
        days.push_back(last);
    return days;
}

} // namespace

const std::vector<std::string>& DemoIndustries() {
    static const std::vector<std::string> industries{"Advertising",
                                                     "Aerospace & Defense",
                                                     "Agriculture",
                                                     "Airlines",
                                                     "Apparel",
                                                     "Auto Manufacturers",
                                                     "Auto Parts",
                                                     "Banks",
                                                     "Beverages",
                                                     "Biotechnology",
                                                     "Broadcasting",
                                                     "Building Materials",
                                                     "Business Services",
                                                     "Chemicals",
                                                     "Coal",
                                                     "Communication Equipment",
                                                     "Computer Hardware",
                                                     "Construction",
                                                     "Consumer Electronics",
                                                     "Diversified Financials",
                                                     "Education",
                                                     "Electric Utilities",
                                                     "Electronic Components",
                                                     "Entertainment",
                                                     "Food Processing",
                                                     "Forest Products",
                                                     "Gas Utilities",
                                                     "Gold & Silver",
                                                     "Health Care Facilities",
                                                     "Home Builders",
                                                     "Hotels & Leisure",
                                                     "Household Products",
                                                     "Industrial Machinery",
                                                     "Insurance",
                                                     "Internet Services",
                                                     "Investment Services",
                                                     "Medical Devices",
                                                     "Metals & Mining",
                                                     "Oil & Gas Drilling",
                                                     "Oil & Gas Production",
                                                     "Oil & Gas Services",
                                                     "Packaging",
                                                     "Pharmaceuticals",
                                                     "Railroads",
                                                     "Real Estate",
                                                     "Restaurants",
                                                     "Retail",
                                                     "Semiconductors",
                                                     "Software",
                                                     "Specialty Retail",
                                                     "Steel",
                                                     "Telecommunications",
                                                     "Tobacco",
                                                     "Trucking",
                                                     "Water Utilities"};
    return industries;
}

void CreateDemoDatabase(const std::string& path, const TDemoDataOptions& options) {
    Require(options.StockCount > 0, "The demo data set needs at least one stock");
    QDate last = options.LastDay.isValid() ? options.LastDay : QDate::currentDate();
    Require(options.FirstDay.isValid() && options.FirstDay <= last, "Bad range of demo days");
    std::remove(path.c_str());
    TSqliteDb db(path, TSqliteDb::omCreate);
    db.Exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA page_size = 8192;");
    db.Exec(StockSchemaSql());
    db.Exec("BEGIN");

    TRandom random(20060830);
    std::vector<TStock> stocks = MakeStocks(options.StockCount, random);
    {
        TSqliteStatement insert(db, "INSERT INTO stocks (ID, COUNTRY, SYMBOL, EXCHANGE, "
                                    "COMPANYNAME, INDUSTRY) VALUES (?, ?, ?, ?, ?, ?)");
        for (const auto& s : stocks) {
            insert.Bind(1, static_cast<long long>(s.Id));
            insert.Bind(2, std::string(s.Exchange->Country));
            insert.Bind(3, s.Symbol);
            insert.Bind(4, std::string(s.Exchange->Name));
            insert.Bind(5, s.Name);
            insert.Bind(6, Industries()[static_cast<std::size_t>(s.Industry)]);
            insert.Step();
            insert.Reset();
        }
    }

    const auto& columns = SnapshotColumns();
    std::string sql = "INSERT INTO snapshots (SNAPDAY, STOCKID", marks = "?, ?";
    for (const auto& column : columns) {
        sql += ", " + column;
        marks += ", ?";
    }
    TSqliteStatement insert(db, sql + ") VALUES (" + marks + ")");

    // Five years of history before the first snapshot, so that every
    // growth figure has its past.
    const int warmUp = 60;
    for (int m = 0; m < warmUp; ++m)
        AdvanceMonth(stocks, random, m);
    const QDate origin(1600, 1, 1);
    QDate month = options.FirstDay;
    int monthIndex = warmUp;
    for (const QDate& day : SnapshotDays(options.FirstDay, last, 3)) {
        while (month.addMonths(1) <= day) {
            month = month.addMonths(1);
            AdvanceMonth(stocks, random, monthIndex++);
        }
        std::vector<TRow> rows;
        rows.reserve(stocks.size());
        for (auto& s : stocks)
            rows.push_back(Snapshot(s, random, day));
        FillIndustryAverage(rows, stocks, "PETRAILING12MONTHS", "PEINDUSTRY");
        FillIndustryAverage(rows, stocks, "PRICETOBOOK", "PRICETOBOOKINDUSTRY");
        FillIndustryAverage(rows, stocks, "PRICETOSALES", "PRICETOSALESINDUSTRY");
        FillIndustryAverage(rows, stocks, "PRICETOCASHFLOW", "PRICETOCASHFLOWINDUSTRY");
        long long dayNumber = origin.daysTo(day);
        for (std::size_t i = 0; i < stocks.size(); ++i) {
            insert.Bind(1, dayNumber);
            insert.Bind(2, static_cast<long long>(stocks[i].Id));
            for (std::size_t c = 0; c < columns.size(); ++c) {
                int index = static_cast<int>(c) + 3;
                const TCell& cell = rows[i][c];
                if (!cell)
                    insert.BindNull(index);
                else if (auto* d = std::get_if<double>(&*cell))
                    insert.Bind(index, *d);
                else
                    insert.Bind(index, std::get<std::string>(*cell));
            }
            insert.Step();
            insert.Reset();
        }
    }
    db.Exec("COMMIT");
}
