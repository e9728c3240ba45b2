#pragma once
#include <string>
#include <string_view>

// Drops characters below 32 except TAB, LF and CR, and writes & < > " ' as
// entities.  Used for string values and member names.
std::string EscapeXml(std::string_view text);
void AppendEscapedXml(std::string& out, std::string_view text);
