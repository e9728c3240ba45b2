#include "xmlrpc/BuildRequest.h"

#include "support/Require.h"
#include "support/Win1252.h"
#include "xmlrpc/XrArray.h"

namespace {

bool IsMethodNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == ':' || c == '/';
}

} // namespace

std::string BuildRequest(std::string_view methodName, const TXrArray& params) {
    for (char c : methodName)
        Require(IsMethodNameChar(c));
    std::string text;
    text.reserve(256);
    text += "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n    <methodName>";
    text += methodName;
    text += "</methodName>\r\n    <params>\r\n";
    for (int i = 1; i <= params.Count(); ++i) {
        text += "<param><value>\r\n";
        params.Item(i)->AppendXml(text);
        text += "</value></param>\r\n";
    }
    text += "    </params>\r\n</methodCall>";
    return qb::Win1252ToUtf8(text);
}
