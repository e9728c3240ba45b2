#pragma once
#include "xmlrpc/XrSimple.h"

#include <memory>
#include <string>
#include <string_view>

class TXrString : public TXrSimple {
public:
    // Stored unchanged: no escaping or unescaping.
    explicit TXrString(std::string value = {}) : Value(std::move(value)) {}
    static std::unique_ptr<TXrString> FromText(std::string_view text);
    void AppendXml(std::string& out) const override;

    std::string Value;
};
