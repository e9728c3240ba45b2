#pragma once
#include "xmlrpc/XrSimple.h"

#include <memory>
#include <string>
#include <string_view>

class TXrBinary : public TXrSimple {
public:
    // Any bytes, including 0.
    explicit TXrBinary(std::string data = {}) : Data(std::move(data)) {}
    // Standard base64 with "=" fill; whitespace is skipped, any other
    // character outside the alphabet raises EConvertError.
    static std::unique_ptr<TXrBinary> FromText(std::string_view text);
    void AppendXml(std::string& out) const override;

    std::string Data;
};

std::string EncodeBase64(std::string_view bytes);
std::string DecodeBase64(std::string_view text);
