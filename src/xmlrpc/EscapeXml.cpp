#include "xmlrpc/EscapeXml.h"

namespace {

// Characters that are written otherwise than as themselves.
bool IsSpecial(unsigned char c) {
    return c == '&' || c == '<' || c == '>' || c == '"' || c == '\'' ||
           (c < 32 && c != '\t' && c != '\n' && c != '\r');
}

} // namespace

void AppendEscapedXml(std::string& out, std::string_view text) {
    size_t run = 0; // start of the plain run not yet written
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (!IsSpecial(c))
            continue;
        out.append(text.data() + run, i - run);
        run = i + 1;
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
        default: // other control characters are dropped
            break;
        }
    }
    out.append(text.data() + run, text.size() - run);
}

std::string EscapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendEscapedXml(out, text);
    return out;
}
