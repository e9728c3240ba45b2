#pragma once
// A font of the workbook: the default font or the font of a cell format.
#include "xls/XlsTypes.h"

#include <cstdint>
#include <string>

namespace qb {

class TExcelFont {
public:
    std::string Name = "Arial";
    std::uint16_t Size = 10; // points
    std::uint8_t Charset = 0;
    TExcelColor Color = xcBlack;
    TExcelFontStyles Style;
    TExcelSubSuperScript SubSuperScript = xssNone;
    TExcelUnderline Underline = xulNone;

    // Equal in name (case-sensitive) and every attribute.
    bool operator==(const TExcelFont&) const = default;
};

} // namespace qb
