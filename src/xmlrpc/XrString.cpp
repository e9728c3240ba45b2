#include "xmlrpc/XrString.h"

#include "xmlrpc/EscapeXml.h"

std::unique_ptr<TXrString> TXrString::FromText(std::string_view text) {
    return std::make_unique<TXrString>(std::string(text));
}

void TXrString::AppendXml(std::string& out) const {
    out += "<string>";
    AppendEscapedXml(out, Value);
    out += "</string>";
}
