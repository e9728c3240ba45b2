#include "support/Win1252.h"

#include <QList>
#include <QString>

namespace qb {
namespace {

// 0x80..0x9F; the unassigned bytes keep their own value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t Win1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0)
        return kHigh[byte - 0x80];
    return byte;
}

int UnicodeToWin1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp)
            return 0x80 + i;
    return -1;
}

std::string Win1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (unsigned char c : text) {
        if (c < 0x80)
            out += static_cast<char>(c);
        else
            AppendUtf8(out, Win1252ToUnicode(c));
    }
    return out;
}

std::string Utf8ToWin1252(std::string_view text, char replacement) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        int extra = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
        // A byte that cannot start a sequence, or a sequence cut short.
        if (extra < 0 || i + static_cast<size_t>(extra) >= n) {
            out += replacement;
            ++i;
            continue;
        }
        char32_t cp = c & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are malformed.
        if (ok && ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                   (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out += replacement;
            ++i;
            continue;
        }
        int b = UnicodeToWin1252(cp);
        out += b < 0 ? replacement : static_cast<char>(b);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

QString FromAnsi(std::string_view text) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (unsigned char c : text)
        out += QChar(static_cast<char16_t>(Win1252ToUnicode(c)));
    return out;
}

std::string ToAnsi(const QString& text, char replacement) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (char32_t cp : text.toUcs4()) {
        int b = UnicodeToWin1252(cp);
        out += b < 0 ? replacement : static_cast<char>(b);
    }
    return out;
}

} // namespace qb
