#include "xmlrpc/EscapeXml.h"

void AppendEscapedXml(std::string& out, std::string_view text) {
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            if (c >= 32 || c == '\t' || c == '\n' || c == '\r')
                out += ch;
        }
    }
}

std::string EscapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendEscapedXml(out, text);
    return out;
}
