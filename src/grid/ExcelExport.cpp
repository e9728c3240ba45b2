#include "grid/ExcelExport.h"

#include "support/Win1252.h"
#include "xls/XLSWrite.h"
#include "xls/XlsError.h"

#include <QLocale>
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <charconv>

namespace qb {

namespace {

// Windows currency pattern numbers read off how the locale writes 1 and -1.
int PositivePattern(const QString& text, const QString& symbol) {
    const bool before = text.startsWith(symbol);
    const bool spaced = before ? text.mid(symbol.size(), 1).trimmed().isEmpty()
                               : text.mid(text.size() - symbol.size() - 1, 1).trimmed().isEmpty();
    return before ? (spaced ? 2 : 0) : (spaced ? 3 : 1);
}

int NegativePattern(const QString& text, const QString& symbol) {
    static const char* const shapes[] = {"(SN)", "-SN",  "S-N",   "SN-",  "(NS)", "-NS",
                                         "N-S",  "NS-",  "-N S",  "-S N", "N S-", "S N-",
                                         "S -N", "N- S", "(S N)", "(N S)"};
    QString shape = text;
    shape.replace(symbol, QStringLiteral("S"));
    shape.replace(QChar(0x00A0), QChar(' '));
    shape.replace(QChar(0x202F), QChar(' '));
    shape.replace(QChar(0x2212), QChar('-'));
    shape.replace(QRegularExpression(QStringLiteral("[0-9][0-9.,]*")), QStringLiteral("N"));
    for (int i = 0; i < 16; ++i)
        if (shape == QLatin1String(shapes[i]))
            return i;
    return 1;
}

TXlsLocaleFormats UserLocaleFormats() {
    const QLocale locale;
    TXlsLocaleFormats f;
    // Narrow no-break spaces of recent locale data have no place in the code page.
    auto pattern = [](QString text) { return ToAnsi(text.replace(QChar(0x202F), QChar(' '))); };
    f.ShortDate = pattern(locale.dateFormat(QLocale::ShortFormat));
    f.ShortTime = pattern(locale.timeFormat(QLocale::ShortFormat));
    const QString symbol = locale.currencySymbol();
    // A symbol the code page cannot hold would turn into "?".
    const bool representable = std::all_of(
        symbol.begin(), symbol.end(), [](QChar c) { return UnicodeToWin1252(c.unicode()) >= 0; });
    f.CurrencySymbol = representable ? ToAnsi(symbol) : std::string();
    if (!symbol.isEmpty()) {
        f.PositiveCurrencyPattern = PositivePattern(locale.toCurrencyString(1), symbol);
        f.NegativeCurrencyPattern = NegativePattern(locale.toCurrencyString(-1), symbol);
    }
    return f;
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

bool TryParseNumber(const std::string& text, double& value) {
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    if (b == e)
        return false;
    std::string s = text.substr(b, e - b);
    std::size_t i = 0;
    const bool negative = s[i] == '-';
    if (s[i] == '+' || s[i] == '-')
        ++i;
    const std::size_t mantissa = i;
    bool point = false;
    while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) {
        if (s[i] == '.') {
            if (point)
                return false;
            point = true;
        }
        ++i;
    }
    // A mantissa without digits ("-", ".", "e5") is a placeholder text, not
    // zero: exporting it as 0 would invent a value.
    if (i - mantissa == (point ? 1u : 0u))
        return false;
    std::string digits = "0" + s.substr(mantissa, i - mantissa);
    if (digits.back() == '.')
        digits.pop_back();
    std::string exponent;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        const std::size_t firstDigit = j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
            ++j;
        if (j == firstDigit)
            return false;
        exponent = "e" + s.substr(i + 1, j - i - 1);
        i = j;
    }
    if (i != s.size())
        return false;
    const std::string number = digits + exponent;
    double result = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), result);
    // Out of the range of a double: keep the text rather than write a wrong value.
    if (end != number.data() + number.size() || ec != std::errc())
        return false;
    value = negative ? -result : result;
    return true;
}

void SaveAsExcel(const std::vector<std::vector<std::string>>& rows, const std::string& fileName,
                 const TSaveProgress& onSaveProgress) {
    const int rowCount = static_cast<int>(rows.size());
    auto progress = [&](int row) {
        if (onSaveProgress)
            onSaveProgress(row, rowCount);
    };
    progress(0);
    // Refuse before touching the file: a worksheet cannot hold the rest, and a
    // cut-off export must never look like a complete one.
    TXLSWrite writer;
    writer.SetXLSVersion(xls97);
    if (rows.size() > static_cast<std::size_t>(writer.MaxRows()))
        throw EXlsError("The results have " + std::to_string(rows.size()) +
                        " rows; a spreadsheet file holds at most " +
                        std::to_string(writer.MaxRows()) + ". Nothing was exported.");
    std::size_t columns = 0;
    for (const auto& row : rows)
        columns = std::max(columns, row.size());
    if (columns > static_cast<std::size_t>(TXLSWrite::MaxColumns))
        throw EXlsError("The results have " + std::to_string(columns) +
                        " columns; a spreadsheet file holds at most " +
                        std::to_string(TXLSWrite::MaxColumns) + ". Nothing was exported.");
    writer.SetLocaleFormats(UserLocaleFormats());
    writer.SetFileName(fileName);
    writer.OpenFile();
    for (int r = 0; r < rowCount; ++r) {
        progress(r);
        const auto& row = rows[r];
        for (int c = 0; c < static_cast<int>(row.size()); ++c) {
            double value;
            if (TryParseNumber(row[c], value))
                writer.WriteNumber(c, r, value, -1);
            else
                writer.WriteString(c, r, row[c], -1);
        }
    }
    writer.CloseFile();
    progress(rowCount);
}

} // namespace qb
