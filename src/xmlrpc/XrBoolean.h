#pragma once
#include "xmlrpc/XrSimple.h"

#include <memory>
#include <string_view>

class TXrBoolean : public TXrSimple {
public:
    explicit TXrBoolean(bool value = false) : Value(value) {}
    // Exactly "0" or "1"; anything else is a check error.
    static std::unique_ptr<TXrBoolean> FromText(std::string_view text);
    void AppendXml(std::string& out) const override;

    bool Value;
};
