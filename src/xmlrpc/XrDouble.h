#pragma once
#include "xmlrpc/XrSimple.h"

#include <memory>
#include <string_view>

class TXrDouble : public TXrSimple {
public:
    explicit TXrDouble(double value = 0) : Value(value) {}
    // Sign, digits and "." only (no exponent); a bad character is a check
    // error, a text that does not convert raises EConvertError.
    static std::unique_ptr<TXrDouble> FromText(std::string_view text);
    // Always signed, at most 18 significant digits, no exponent; NaN and
    // infinities fail with a check error.
    void AppendXml(std::string& out) const override;

    double Value;
};
