#pragma once
// The system's texts are 8-bit Windows-1252 strings (std::string holding the
// bytes).  This is the one place where they meet Unicode: UTF-8 for XML-RPC,
// QString for the user interface.
//
// The code page leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D unassigned; like the
// platform's own conversion they map to the C1 code points of the same value,
// so every byte survives a round trip.
#include <string>
#include <string_view>

class QString;

namespace qb {

char32_t Win1252ToUnicode(unsigned char byte);
// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);
// The byte for a code point, or -1 when the code page cannot hold it.
int UnicodeToWin1252(char32_t codePoint);

std::string Win1252ToUtf8(std::string_view text);
// Characters the code page cannot hold become `replacement`; malformed UTF-8
// sequences too.
std::string Utf8ToWin1252(std::string_view text, char replacement = '?');

QString FromAnsi(std::string_view text);
std::string ToAnsi(const QString& text, char replacement = '?');

} // namespace qb
