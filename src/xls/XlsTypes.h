#pragma once
// Enumerations, record header and locale formats shared by the workbook writer
// and its parts.  Plain C++: the library carries no user-interface code.
#include <cstdint>
#include <set>
#include <string>

namespace qb {

enum TXLSVersion { xls40, xls50, xls97 };

enum TSheetOption { soGridlines, soRowColHeadings, soProtected };
using TSheetOptions = std::set<TSheetOption>;

// 65 colours; the ordinal is what the colour-index table maps.
enum TExcelColor : int {
    xcBlack = 0,
    xcWhite = 39,
    xcNoColor = 64,
};
inline TExcelColor ExcelColor(int ordinal) {
    return static_cast<TExcelColor>(ordinal);
}

enum TExcelFontStyle { xfsBold, xfsItalic, xfsStrikeOut };
using TExcelFontStyles = std::set<TExcelFontStyle>;
enum TExcelSubSuperScript { xssNone, xssSuperscript, xssSubscript };
enum TExcelUnderline { xulNone, xulSingle, xulDouble, xulSingleAccount, xulDoubleAccount };

enum TTextFormat {
    tfGeneral,
    tf2Dec,
    tf0Dec1000,
    tf2Dec1000,
    tfPercent,
    tfCurrency0Dec,
    tfCurrency2Dec,
    tfDate,
    tfTime,
    tfText,
    tfUser
};
enum TCellProtection { cpLocked, cpHidden };
using TCellProtections = std::set<TCellProtection>;
enum TCellHorizAlignment {
    chaGeneral,
    chaLeft,
    chaCenter,
    chaRight,
    chaFill,
    chaJustify,
    chaCenterAcross
};
enum TCellVertAlignment { cvaTop, cvaCenter, cvaBottom, cvaJustify };
enum TCellBorder { cbLeft, cbTop, cbRight, cbBottom, cbDiag };
using TCellBorders = std::set<TCellBorder>;

enum TPageSetupOption { psoLeftToRight, psoPortrait, psoNoColor, psoDraftQuality, psoPrintNotes };
using TPageSetupOptions = std::set<TPageSetupOption>;

// Type and data length of one BIFF record.
struct TBiffHeader {
    std::uint16_t Type = 0;
    std::uint16_t Length = 0;
};

// The user's number formats, as the platform states them (Windows-1252).
// The caller fills them from the locale; the defaults are a US locale.
struct TXlsLocaleFormats {
    std::string ShortDate = "M/d/yyyy";
    std::string ShortTime = "h:mm:ss tt";
    std::string CurrencySymbol = "$";
    int PositiveCurrencyPattern = 0; // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int NegativeCurrencyPattern = 0; // 0 "($1)" ... 15 "(1 $)"
};

} // namespace qb
