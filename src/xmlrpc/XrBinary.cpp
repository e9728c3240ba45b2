#include "xmlrpc/XrBinary.h"

#include "xmlrpc/ConvertError.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

bool IsBlank(unsigned char c) {
    return c == ' ' || (c >= 9 && c <= 13);
}

} // namespace

std::string EncodeBase64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        uint32_t n = static_cast<unsigned char>(bytes[i]) << 16 |
                     static_cast<unsigned char>(bytes[i + 1]) << 8 |
                     static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[n >> 18];
        out += kAlphabet[n >> 12 & 63];
        out += kAlphabet[n >> 6 & 63];
        out += kAlphabet[n & 63];
    }
    size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2)
            n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[n >> 18];
        out += kAlphabet[n >> 12 & 63];
        out += rest == 2 ? kAlphabet[n >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

std::string DecodeBase64(std::string_view text) {
    // Line breaks and blanks, which other writers put into long data, are
    // skipped; a character outside the alphabet or data after the fill is
    // refused rather than guessed at.
    std::string out;
    out.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int count = 0;
    bool filled = false;
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (IsBlank(c))
            continue;
        if (c == '=') {
            filled = true;
            continue;
        }
        int sextet = SextetOf(c);
        if (sextet < 0 || filled)
            throw EConvertError("Invalid base64 text");
        bits = bits << 6 | static_cast<uint32_t>(sextet);
        if (++count == 4) {
            out += static_cast<char>(bits >> 16 & 0xFF);
            out += static_cast<char>(bits >> 8 & 0xFF);
            out += static_cast<char>(bits & 0xFF);
            bits = 0;
            count = 0;
        }
    }
    if (count == 1)
        throw EConvertError("Invalid base64 text");
    if (count == 2) {
        out += static_cast<char>(bits >> 4 & 0xFF);
    } else if (count == 3) {
        out += static_cast<char>(bits >> 10 & 0xFF);
        out += static_cast<char>(bits >> 2 & 0xFF);
    }
    return out;
}

std::unique_ptr<TXrBinary> TXrBinary::FromText(std::string_view text) {
    return std::make_unique<TXrBinary>(DecodeBase64(text));
}

void TXrBinary::AppendXml(std::string& out) const {
    out += "<base64>";
    out += EncodeBase64(Data);
    out += "</base64>";
}
