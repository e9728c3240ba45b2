#include "xmlrpc/XrBoolean.h"

#include "support/Require.h"

std::unique_ptr<TXrBoolean> TXrBoolean::FromText(std::string_view text) {
    Require(text == "0" || text == "1");
    return std::make_unique<TXrBoolean>(text == "1");
}

void TXrBoolean::AppendXml(std::string& out) const {
    out += Value ? "<boolean>1</boolean>" : "<boolean>0</boolean>";
}
