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

std::string ToUtf8(std::string text) {
    // Plain ASCII runs are copied whole; a document is mostly markup.
    size_t first = 0;
    while (first < text.size() && static_cast<unsigned char>(text[first]) < 0x80)
        ++first;
    if (first == text.size())
        return text;
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 16);
    size_t run = 0;
    for (size_t i = first; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80)
            continue;
        out.append(text, run, i - run);
        run = i + 1;
        char32_t cp = qb::Win1252ToUnicode(c); // below U+10000 for every byte
        char bytes[3];
        if (cp < 0x800) {
            bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
            bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
            out.append(bytes, 2);
        } else {
            bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
            bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
            out.append(bytes, 3);
        }
    }
    out.append(text, run, text.size() - run);
    return out;
}

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
    return ToUtf8(std::move(text));
}
