#include "xmlrpc/XrInt4.h"

#include "xmlrpc/ConvertError.h"

#include <charconv>

std::unique_ptr<TXrInt4> TXrInt4::FromText(std::string_view text) {
    // An optional sign and decimal digits, nothing else: no blanks, no
    // hexadecimal, no fraction.
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    int32_t value = 0;
    const char* end = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(digits.data(), end, value, 10);
    bool signOnly = !digits.empty() && (digits.front() == '-' || digits.front() == '+') &&
                    text.size() != digits.size();
    if (digits.empty() || ec != std::errc() || ptr != end || signOnly)
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return std::make_unique<TXrInt4>(value);
}

void TXrInt4::AppendXml(std::string& out) const {
    out += "<i4>";
    out += std::to_string(Value);
    out += "</i4>";
}
