#pragma once
#include "xmlrpc/XrSimple.h"

#include <cstdint>
#include <memory>
#include <string_view>

class TXrInt4 : public TXrSimple {
public:
    explicit TXrInt4(int32_t value = 0) : Value(value) {}
    // Signed decimal 32-bit text, untrimmed; anything else raises
    // EConvertError.
    static std::unique_ptr<TXrInt4> FromText(std::string_view text);
    void AppendXml(std::string& out) const override;

    int32_t Value;
};
