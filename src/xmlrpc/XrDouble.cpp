#include "xmlrpc/XrDouble.h"

#include "support/Require.h"
#include "xmlrpc/ConvertError.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::unique_ptr<TXrDouble> TXrDouble::FromText(std::string_view text) {
    // The decimal point is "." on the wire whatever the user's settings, so
    // it is read as such directly.  No exponent: the character test refuses
    // it before conversion.
    for (char c : text)
        Require(c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9'));
    std::string_view number = text;
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    double value = 0;
    const char* end = number.data() + number.size();
    auto [ptr, ec] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (number.empty() || number.front() == '-' || ec != std::errc() || ptr != end)
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return std::make_unique<TXrDouble>(negative ? -value : value);
}

void TXrDouble::AppendXml(std::string& out) const {
    Require(std::isfinite(Value));
    // %.17e gives the value correctly rounded to 18 significant digits:
    // d.ddddddddddddddddde[+-]x.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17e", Value);
    const char* p = buffer;
    if (*p == '-')
        ++p;
    std::string digits;
    digits += *p++;
    if (*p == '.')
        ++p;
    while (*p >= '0' && *p <= '9')
        digits += *p++;
    int exponent = *p == 'e' ? std::atoi(p + 1) + 1 : 1;
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (digits.empty())
        exponent = 0;

    out += "<double>";
    out += std::signbit(Value) && Value != 0 ? '-' : '+';
    if (exponent > 0) {
        for (int i = 0; i < static_cast<int>(digits.size()); ++i) {
            if (i == exponent)
                out += '.';
            out += digits[static_cast<size_t>(i)];
        }
        for (int i = static_cast<int>(digits.size()); i < exponent; ++i)
            out += '0';
    } else {
        out += digits.empty() ? "0" : "0.";
        out.append(static_cast<size_t>(-exponent), '0');
        out += digits;
    }
    out += "</double>";
}
