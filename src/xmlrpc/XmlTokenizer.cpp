#include "xmlrpc/XmlTokenizer.h"

#include "support/Win1252.h"

#include <array>
#include <cstring>

namespace {

constexpr char kReplacement = '\xBF';

bool IsBlank(unsigned char c) {
    return c == ' ' || (c >= 9 && c <= 13);
}

bool StartsWith(std::string_view text, size_t at, std::string_view prefix) {
    return text.size() - at >= prefix.size() && text.compare(at, prefix.size(), prefix) == 0;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

// The code point of a reference body ("amp", "#233", "#xE9"), 0 when it is
// not one this reader resolves.
char32_t ReferenceValue(std::string_view body) {
    if (body == "amp")
        return '&';
    if (body == "lt")
        return '<';
    if (body == "gt")
        return '>';
    if (body == "quot")
        return '"';
    if (body == "apos")
        return '\'';
    if (body.size() < 2 || body[0] != '#')
        return 0;
    bool hex = body[1] == 'x';
    size_t i = hex ? 2 : 1;
    if (i >= body.size() || body.size() - i > 8)
        return 0;
    char32_t value = 0;
    for (; i < body.size(); ++i) {
        char c = body[i];
        int digit = c >= '0' && c <= '9'          ? c - '0'
                    : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                  : -1;
        if (digit < 0)
            return 0;
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return value;
}

} // namespace

TXmlTokenizer::TXmlTokenizer(std::string_view text) : FDoc(text) {
    if (const void* zero = std::memchr(text.data(), 0, text.size()))
        FDoc = text.substr(0, static_cast<size_t>(static_cast<const char*>(zero) - text.data()));
    if (StartsWith(FDoc, 0, "\xEF\xBB\xBF")) {
        FUtf8 = true;
        FPos = 3;
    }
}

bool TXmlTokenizer::IsBlankContent() const {
    if (FKind != TXmlPartKind::Content)
        return false;
    for (char c : FText)
        if (!IsBlank(static_cast<unsigned char>(c)))
            return false;
    return true;
}

TTextPosition TXmlTokenizer::PositionOf(size_t offset) const {
    TTextPosition pos;
    if (offset > FDoc.size())
        offset = FDoc.size();
    for (size_t i = 0; i < offset; ++i) {
        char c = FDoc[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < offset && FDoc[i + 1] == '\n')
                ++i;
            ++pos.Line;
            pos.Column = 1;
        } else {
            ++pos.Column;
        }
    }
    return pos;
}

std::string TXmlTokenizer::DisplayName() const {
    return FUtf8 ? qb::Utf8ToWin1252(FName, kReplacement) : std::string(FName);
}

size_t TXmlTokenizer::SkipBlanks(size_t at) const {
    while (at < FDoc.size() && IsBlank(static_cast<unsigned char>(FDoc[at])))
        ++at;
    return at;
}

size_t TXmlTokenizer::NameEnd(size_t at) const {
    // Bytes that end a name: blanks and the markup characters around names.
    static constexpr auto kEndsName = [] {
        std::array<bool, 256> table{};
        for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r', '>', '/', '=', '?', '<'})
            table[c] = true;
        return table;
    }();
    const size_t size = FDoc.size();
    const char* doc = FDoc.data();
    while (at < size && !kEndsName[static_cast<unsigned char>(doc[at])])
        ++at;
    return at;
}

bool TXmlTokenizer::Finish(size_t at) {
    FKind = TXmlPartKind::End;
    FPartStart = at;
    FName = {};
    FText = {};
    FAttributeCount = 0;
    FPos = FDoc.size();
    return false;
}

bool TXmlTokenizer::Scan() {
    FName = {};
    FText = {};
    FAttributeCount = 0;
    if (FPos >= FDoc.size())
        return Finish(FDoc.size());
    FPartStart = FPos;
    if (FDoc[FPos] != '<') {
        ScanContent();
        return true;
    }
    return ScanMarkup();
}

void TXmlTokenizer::ScanContent() {
    // One pass finds the end of the text and whether it needs decoding.
    const size_t size = FDoc.size();
    const char* doc = FDoc.data();
    size_t stop = FPos;
    bool plain = true;
    for (; stop < size; ++stop) {
        char c = doc[stop];
        if (c == '<')
            break;
        if (c == '&' || (FUtf8 && static_cast<unsigned char>(c) >= 0x80))
            plain = false;
    }
    FKind = TXmlPartKind::Content;
    if (plain)
        FText = FDoc.substr(FPos, stop - FPos);
    else
        DecodeText(FDoc.substr(FPos, stop - FPos), true);
    FPos = stop;
}

bool TXmlTokenizer::ScanMarkup() {
    // Tags are by far the most frequent parts; test for them first.
    char next = FPos + 1 < FDoc.size() ? FDoc[FPos + 1] : '\0';
    if (next == '/')
        return ScanEndTag();
    if (next != '!' && next != '?')
        return ScanTag();
    if (StartsWith(FDoc, FPos, "<!--")) {
        size_t close = FDoc.find("-->", FPos + 4);
        if (close == std::string_view::npos)
            return Finish(FPartStart);
        FKind = TXmlPartKind::Comment;
        FPos = close + 3;
        return true;
    }
    if (StartsWith(FDoc, FPos, "<![CDATA[")) {
        size_t close = FDoc.find("]]>", FPos + 9);
        if (close == std::string_view::npos)
            return Finish(FPartStart);
        FKind = TXmlPartKind::CData;
        DecodeText(FDoc.substr(FPos + 9, close - FPos - 9), false);
        FPos = close + 3;
        return true;
    }
    if (StartsWith(FDoc, FPos, "<!"))
        return ScanDocumentType();
    return ScanQuestion();
}

bool TXmlTokenizer::ScanDocumentType() {
    // Skipped as a whole, internal subset and quoted literals included.
    size_t at = FPos + 2;
    if (StartsWith(FDoc, at, "DOCTYPE"))
        at = SkipBlanks(at + 7);
    size_t nameEnd = NameEnd(at);
    std::string_view name = FDoc.substr(at, nameEnd - at);
    int brackets = 0;
    char quote = 0;
    for (at = nameEnd; at < FDoc.size(); ++at) {
        char c = FDoc[at];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++brackets;
        } else if (c == ']') {
            --brackets;
        } else if (c == '>' && brackets <= 0) {
            FKind = TXmlPartKind::DocumentType;
            FName = name;
            FPos = at + 1;
            return true;
        }
    }
    return Finish(FPartStart);
}

bool TXmlTokenizer::ScanQuestion() {
    size_t nameStart = FPos + 2;
    size_t nameEnd = NameEnd(nameStart);
    size_t close = FDoc.find("?>", nameStart);
    if (close == std::string_view::npos)
        return Finish(FPartStart);
    FName = FDoc.substr(nameStart, nameEnd - nameStart);
    if (EqualsNoCase(FName, "xml")) {
        FKind = TXmlPartKind::XmlDeclaration;
        // The first declaration decides, even after a comment a lenient
        // writer put before it.
        if (!FDeclarationSeen)
            ReadDeclaredEncoding(nameEnd, close);
        FDeclarationSeen = true;
    } else {
        FKind = TXmlPartKind::ProcessingInstruction;
    }
    FPos = close + 2;
    return true;
}

void TXmlTokenizer::ReadDeclaredEncoding(size_t from, size_t to) {
    std::string_view decl = FDoc.substr(from, to - from);
    size_t at = decl.find("encoding");
    if (at == std::string_view::npos) {
        FUtf8 = true;
        return;
    }
    at += 8;
    while (at < decl.size() && (IsBlank(static_cast<unsigned char>(decl[at])) || decl[at] == '='))
        ++at;
    if (at >= decl.size() || (decl[at] != '"' && decl[at] != '\''))
        return;
    size_t close = decl.find(decl[at], at + 1);
    if (close == std::string_view::npos)
        return;
    std::string_view encoding = decl.substr(at + 1, close - at - 1);
    FUtf8 = EqualsNoCase(encoding, "UTF-8") || EqualsNoCase(encoding, "UTF8");
}

bool TXmlTokenizer::ScanEndTag() {
    size_t nameStart = FPos + 2;
    size_t nameEnd = NameEnd(nameStart);
    size_t close = FDoc.find('>', nameEnd);
    if (close == std::string_view::npos)
        return Finish(FPartStart);
    FKind = TXmlPartKind::EndTag;
    FName = FDoc.substr(nameStart, nameEnd - nameStart);
    FPos = close + 1;
    return true;
}

bool TXmlTokenizer::ScanTag() {
    size_t nameStart = FPos + 1;
    size_t at = NameEnd(nameStart);
    std::string_view name = FDoc.substr(nameStart, at - nameStart);
    int attributes = 0;
    while (true) {
        at = SkipBlanks(at);
        if (at >= FDoc.size())
            return Finish(FPartStart);
        char c = FDoc[at];
        if (c == '>') {
            FKind = TXmlPartKind::StartTag;
            break;
        }
        if (c == '/' && at + 1 < FDoc.size() && FDoc[at + 1] == '>') {
            FKind = TXmlPartKind::EmptyTag;
            ++at;
            break;
        }
        // An attribute: name, optionally = and a quoted or bare value.
        size_t attrEnd = NameEnd(at);
        at = attrEnd == at ? at + 1 : attrEnd;
        ++attributes;
        at = SkipBlanks(at);
        if (at < FDoc.size() && FDoc[at] == '=') {
            at = SkipBlanks(at + 1);
            if (at < FDoc.size() && (FDoc[at] == '"' || FDoc[at] == '\'')) {
                size_t close = FDoc.find(FDoc[at], at + 1);
                if (close == std::string_view::npos)
                    return Finish(FPartStart);
                at = close + 1;
            } else {
                at = NameEnd(at);
            }
        }
    }
    FName = name;
    FAttributeCount = attributes;
    FPos = at + 1;
    return true;
}

void TXmlTokenizer::DecodeText(std::string_view raw, bool resolveReferences) {
    bool plain = true;
    for (char c : raw) {
        if ((c == '&' && resolveReferences) || (FUtf8 && static_cast<unsigned char>(c) >= 0x80)) {
            plain = false;
            break;
        }
    }
    if (plain) {
        FText = raw;
        return;
    }
    std::string_view utf = raw;
    if (resolveReferences && raw.find('&') != std::string_view::npos) {
        FScratch.clear();
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '&') {
                size_t semi = raw.find(';', i + 1);
                char32_t cp = semi == std::string_view::npos || semi - i > 12
                                  ? 0
                                  : ReferenceValue(raw.substr(i + 1, semi - i - 1));
                if (cp != 0) {
                    if (FUtf8) {
                        qb::AppendUtf8(FScratch, cp);
                    } else {
                        int b = qb::UnicodeToWin1252(cp);
                        FScratch += b < 0 ? kReplacement : static_cast<char>(b);
                    }
                    i = semi;
                    continue;
                }
            }
            FScratch += raw[i];
        }
        utf = FScratch;
    }
    if (FUtf8) {
        FDecoded = qb::Utf8ToWin1252(utf, kReplacement);
        FText = FDecoded;
    } else {
        FText = utf;
    }
}
