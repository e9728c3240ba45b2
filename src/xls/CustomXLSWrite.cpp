#include "xls/CustomXLSWrite.h"

#include "support/Win1252.h"
#include "xls/SharedStrings.h"
#include "xls/WorkbookStream.h"
#include "xls/XlsError.h"

#include <algorithm>
#include <cstring>

namespace qb {

namespace {

// Record types.
enum : std::uint16_t {
    rtEOF = 0x000A,
    rtCalcCount = 0x000C,
    rtCalcMode = 0x000D,
    rtPrecision = 0x000E,
    rtRefMode = 0x000F,
    rtDelta = 0x0010,
    rtIteration = 0x0011,
    rtProtect = 0x0012,
    rtPassword = 0x0013,
    rtHeader = 0x0014,
    rtFooter = 0x0015,
    rtExternCount = 0x0016,
    rtExternSheet = 0x0017,
    rtWindowProtect = 0x0019,
    rtSelection = 0x001D,
    rt1904 = 0x0022,
    rtLeftMargin = 0x0026,
    rtRightMargin = 0x0027,
    rtTopMargin = 0x0028,
    rtBottomMargin = 0x0029,
    rtPrintHeaders = 0x002A,
    rtPrintGridlines = 0x002B,
    rtFont = 0x0031,
    rtWindow1 = 0x003D,
    rtBackup = 0x0040,
    rtCodepage = 0x0042,
    rtDefColWidth = 0x0055,
    rtWriteAccess = 0x005C,
    rtUncalced = 0x005E,
    rtSaveRecalc = 0x005F,
    rtGuts = 0x0080,
    rtWsBool = 0x0081,
    rtGridSet = 0x0082,
    rtHCenter = 0x0083,
    rtVCenter = 0x0084,
    rtBoundSheet = 0x0085,
    rtCountry = 0x008C,
    rtHideObj = 0x008D,
    rtPalette = 0x0092,
    rtFnGroupCount = 0x009C,
    rtSetup = 0x00A1,
    rtBookBool = 0x00DA,
    rtXf = 0x00E0,
    rtLabelSst = 0x00FD,
    rtTabId = 0x013D,
    rtUsesElfs = 0x0160,
    rtDsf = 0x0161,
    rtRefreshAll = 0x01B7,
    rtProt4Rev = 0x01AF,
    rtProt4RevPass = 0x01BC,
    rtDimensions = 0x0200,
    rtNumber = 0x0203,
    rtLabel = 0x0204,
    rtDefaultRowHeight = 0x0225,
    rtWindow2 = 0x023E,
    rtStyle = 0x0293,
    rtBof97 = 0x0809,
    rtBof4 = 0x0409,
    rtFont4 = 0x0231,
    rtFormat = 0x041E,
    rtXf4 = 0x0443,
};

// Little-endian writer over the record buffer.
struct TPut {
    std::uint8_t* P;
    std::size_t N = 0;

    TPut& u8(unsigned v) {
        P[N++] = static_cast<std::uint8_t>(v);
        return *this;
    }
    TPut& u16(unsigned v) { return u8(v).u8(v >> 8); }
    TPut& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    TPut& f64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        u32(static_cast<std::uint32_t>(bits));
        return u32(static_cast<std::uint32_t>(bits >> 32));
    }
    TPut& bytes(const std::string& s) {
        std::memcpy(P + N, s.data(), s.size());
        N += s.size();
        return *this;
    }
    TPut& fill(unsigned byte, std::size_t count) {
        std::memset(P + N, static_cast<int>(byte), count);
        N += count;
        return *this;
    }
    // BIFF8 text: count (8- or 16-bit), option byte, characters.  Texts with
    // bytes 0x80-0x9F go as 16-bit characters; 8-bit characters mean Latin-1
    // to readers, which has control characters there.
    TPut& text8(const std::string& s, bool wideCount) {
        const bool wide = TSharedStrings::NeedsWideChars(s);
        wideCount ? u16(static_cast<unsigned>(s.size())) : u8(static_cast<unsigned>(s.size()));
        u8(wide ? 1 : 0);
        if (!wide)
            return bytes(s);
        for (unsigned char c : s)
            u16(Win1252ToUnicode(c));
        return *this;
    }
};

// Colour index of a TExcelColor: the first position holding its ordinal.
unsigned ColorIndex(TExcelColor color) {
    static const std::uint8_t table[65] = {
        56, 63, 58, 59, 60, 61, 62, 63, 0,  39, 16, 27, 13, 26, 24, 28, 8,  11, 5,  10, 22, 12,
        31, 15, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 29, 36, 35, 34,
        37, 32, 38, 33, 21, 20, 18, 25, 17, 9,  14, 23, 4,  19, 3,  2,  1,  30, 6,  7,  64};
    for (unsigned p = 0; p < 65; ++p)
        if (table[p] == static_cast<int>(color))
            return p;
    return 65;
}

// Default colours 8 ... 63 as 0xRRGGBB.
const std::uint32_t DefaultPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xE3E3E3,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

std::string Trimmed(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

std::string CurrencyFormat(const TXlsLocaleFormats& locale, const std::string& n) {
    std::string s = locale.CurrencySymbol;
    for (unsigned char c : s)
        if (c > 185) {
            s.clear();
            break;
        }
    std::string positive;
    switch (locale.PositiveCurrencyPattern) {
    case 1:
        positive = n + " " + s;
        break;
    case 2:
        positive = s + "  " + n;
        break;
    case 3:
        positive = n + "  " + s;
        break;
    default:
        positive = s + " " + n;
        break;
    }
    std::string negative;
    switch (locale.NegativeCurrencyPattern) {
    case 1:
        negative = "-" + s + n;
        break;
    case 2:
        negative = s + "-" + n;
        break;
    case 3:
        negative = s + n + "-";
        break;
    case 4:
        negative = "(" + n + s + ")";
        break;
    case 5:
        negative = "-" + n + s;
        break;
    case 6:
        negative = n + "-" + s;
        break;
    case 7:
        negative = n + s + "-";
        break;
    case 8:
        negative = "-" + n + " " + s;
        break;
    case 9:
        negative = "-" + s + " " + n;
        break;
    case 10:
        negative = n + " " + s + "-";
        break;
    case 11:
        negative = s + " " + n + "-";
        break;
    case 12:
        negative = s + " -" + n;
        break;
    case 13:
        negative = n + "- " + s;
        break;
    case 14:
        negative = "(" + s + " " + n + ")";
        break;
    case 15:
        negative = "(" + n + " " + s + ")";
        break;
    default:
        negative = "(" + s + n + ")";
        break;
    }
    return positive + ";" + negative;
}

std::string CellText(int row, int column) {
    return "Cell R" + std::to_string(row) + ",C" + std::to_string(column) + ": ";
}

} // namespace

// One extended format, independent of its BIFF layout.
struct TCustomXLSWrite::TXfBits {
    unsigned Font = 0;
    unsigned Format = 0;
    unsigned Type = 0x0001;
    unsigned Align = 0x20;
    unsigned Used = 0; // 6 flags: format, font, alignment, border, pattern, protection
    bool Left = false, Top = false, Right = false, Bottom = false, Diag = false;
    unsigned Pattern = 0;
    unsigned Fore = 64, Back = 65;

    void Put8(TPut& w) const {
        const unsigned line = 1, color = 8; // thin, black
        std::uint32_t b1 = 0, b2 = 0;
        if (Left)
            b1 |= line | (color << 16);
        if (Right)
            b1 |= (line << 4) | (color << 23);
        if (Top)
            b1 |= (line << 8), b2 |= color;
        if (Bottom)
            b1 |= (line << 12), b2 |= (color << 7);
        if (Diag)
            b1 |= 0xC0000000u, b2 |= (color << 14) | (line << 21);
        b2 |= Pattern << 26;
        w.u16(Font).u16(Format).u16(Type).u8(Align).u8(0).u8(0).u8(Used << 2);
        w.u32(b1).u32(b2).u16(Fore | (Back << 7));
    }
    void Put5(TPut& w) const {
        const unsigned line = 1, color = 8;
        std::uint32_t b1 = Fore | (Back << 7) | (Pattern << 16), b2 = 0;
        if (Bottom)
            b1 |= (line << 22) | (color << 25);
        if (Top)
            b2 |= line | (color << 9);
        if (Left)
            b2 |= (line << 3) | (color << 16);
        if (Right)
            b2 |= (line << 6) | (color << 23);
        w.u16(Font).u16(Format).u16(Type).u16(Align | (Used << 10)).u32(b1).u32(b2);
    }
};

TCustomXLSWrite::TCustomXLSWrite() = default;

TCustomXLSWrite::~TCustomXLSWrite() {
    try {
        CloseFile();
    } catch (...) {
        // Keep what was written up to the failure; destruction must not throw.
        FStream.reset();
        ReleaseFile();
    }
}

bool TCustomXLSWrite::FileIsOpen() const {
    return !FBuffer.empty();
}

void TCustomXLSWrite::SetXLSVersion(TXLSVersion version) {
    if (FileIsOpen())
        throw EXlsError("Version can not be changed while file is open");
    FXLSVersion = version;
    FReservedExtnamesSize = std::min(FReservedExtnamesSize, MaxBuffsize());
}

void TCustomXLSWrite::SetReservedExtnamesSize(int size) {
    if (size >= 256)
        FReservedExtnamesSize = std::min(size, MaxBuffsize());
}

void TCustomXLSWrite::WriteRecord(std::uint16_t type, std::size_t length) {
    WriteRecord(type, length, FBuffer.data());
}

void TCustomXLSWrite::WriteRecord(std::uint16_t type, std::size_t length, std::uint8_t* data) {
    const auto max = static_cast<std::size_t>(MaxBuffsize());
    auto tooLarge = [max] {
        return EXlsError("Data size to large, max " + std::to_string(max) + " bytes");
    };
    if (length > max)
        throw tooLarge();
    TBiffHeader header{type, static_cast<std::uint16_t>(length)};
    if (FOnWriteData)
        FOnWriteData(*this, header, data);
    if (header.Length > max)
        throw tooLarge();
    const std::uint8_t head[4] = {
        static_cast<std::uint8_t>(header.Type), static_cast<std::uint8_t>(header.Type >> 8),
        static_cast<std::uint8_t>(header.Length), static_cast<std::uint8_t>(header.Length >> 8)};
    FStream->Write(head, 4);
    if (header.Length)
        FStream->Write(data, header.Length);
}

void TCustomXLSWrite::WriteWord(std::uint16_t type, std::uint16_t value) {
    TPut{FBuffer.data()}.u16(value);
    WriteRecord(type, 2);
}

void TCustomXLSWrite::OpenFile() {
    for (const std::string& name : FSheets) {
        if (name.empty())
            throw EXlsError("Sheet Name is missing");
        if (name.size() > 255) // its length is stored in one byte
            throw EXlsError("Sheet Name is too long: " + name.substr(0, 31) + "...");
    }
    if (FileIsOpen())
        throw EXlsError(FXLSVersion == xls40 ? "File is already open" : "File is allready open");
    if (Trimmed(FFileName).empty())
        throw EXlsError("Filename is missing");

    FSheetCount = 0;
    FSharedStrings = std::make_unique<TSharedStrings>();
    FFontList.clear();
    FSheetPositionSlots.clear();
    const char* streamName = FXLSVersion == xls97 ? "Workbook" : FXLSVersion == xls50 ? "Book" : "";
    FStream = std::make_unique<TWorkbookStream>(FFileName, streamName);
    FBuffer.assign(MaxBuffsize(), 0);
    FInGlobals = true;

    if (FXLSVersion == xls40) {
        Open40();
        return;
    }
    WriteGlobals();
    if (!FWriteGlobalData && !FSheets.empty())
        NextSheet();
}

void TCustomXLSWrite::WriteGlobals() {
    if (FXLSVersion == xls97)
        WriteGlobals97();
    else
        WriteGlobals50();
    WriteFormats();
    WriteStandardXfs();
    WriteCellFormatXfs();
    WriteFonts();
    WriteStyles();
    WritePalette();
    if (FXLSVersion == xls97)
        WriteWord(rtUsesElfs, 1);
    WriteBoundSheets();
    if (FXLSVersion == xls97) {
        TPut{FBuffer.data()}.u16(1).u16(1);
        WriteRecord(rtCountry, 4);
    }
    FGlobalsEnd = FStream->Position();
}

void TCustomXLSWrite::WriteGlobals97() {
    TPut bof{FBuffer.data()};
    bof.u16(0x0600).u16(0x0005).u16(0).u16(0x07CE).u32(0).u32(6);
    WriteRecord(rtBof97, bof.N);
    TPut access{FBuffer.data()};
    access.u8(1).u8(0).u8(0).u8('X').fill(' ', 108);
    WriteRecord(rtWriteAccess, access.N);
    WriteWord(rtCodepage, 1200);
    WriteWord(rtDsf, 0);
    if (2 * FSheets.size() > FBuffer.size())
        throw EXlsError("Data size to large, max " + std::to_string(MaxBuffsize()) + " bytes");
    TPut tabs{FBuffer.data()};
    for (std::size_t i = 0; i < FSheets.size(); ++i)
        tabs.u16(static_cast<unsigned>(i + 1));
    WriteRecord(rtTabId, tabs.N);
    WriteWord(rtFnGroupCount, 14);
    WriteWord(rtWindowProtect, 0);
    WriteWord(rtProtect, FOptions.contains(soProtected) ? 1 : 0);
    WriteWord(rtPassword, 0);
    WriteWord(rtProt4Rev, 0);
    WriteWord(rtProt4RevPass, 0);
    WriteBookWindowAndOptions();
}

void TCustomXLSWrite::WriteGlobals50() {
    TPut bof{FBuffer.data()};
    bof.u16(0x0500).u16(0x0005).u16(0x0DBB).u16(0x07CE);
    WriteRecord(rtBof97, bof.N);
    TPut access{FBuffer.data()};
    access.u8(0).fill(' ', 30).u8(0);
    WriteRecord(rtWriteAccess, access.N);
    WriteWord(rtCodepage, 1252);
    WriteWord(rtFnGroupCount, 14);
    WriteWord(rtExternCount, static_cast<std::uint16_t>(FSheets.size()));
    for (const std::string& name : FSheets) {
        TPut w{FBuffer.data()};
        w.u8(static_cast<unsigned>(name.size() + 1)).u8(0x03).bytes(name);
        WriteRecord(rtExternSheet, w.N);
    }
    WriteWord(rtWindowProtect, 0);
    WriteWord(rtProtect, FOptions.contains(soProtected) ? 1 : 0);
    WriteWord(rtPassword, 0);
    WriteBookWindowAndOptions();
}

// The workbook window and the book-wide options that close the globals of
// both BIFF8 and BIFF5.
void TCustomXLSWrite::WriteBookWindowAndOptions() {
    WriteSheetWindow();
    WriteWord(rtBackup, 0);
    WriteWord(rtHideObj, 0);
    WriteWord(rt1904, 0);
    WriteWord(rtPrecision, 1);
    WriteWord(rtRefreshAll, 0);
    WriteWord(rtBookBool, 0);
}

// WINDOW1: the workbook window.
void TCustomXLSWrite::WriteSheetWindow() {
    TPut w{FBuffer.data()};
    w.u16(120).u16(120).u16(23820).u16(15720).u16(0x0038).u16(0).u16(0).u16(1).u16(600);
    WriteRecord(rtWindow1, w.N);
}

void TCustomXLSWrite::WriteFormats() {
    std::vector<std::pair<unsigned, std::string>> formats = {
        {50, "0.00"},
        {51, "#,##0"},
        {52, "#,##0.00"},
        {53, "0.00%"},
        {54, CurrencyFormat(FLocaleFormats, "#,##0")},
        {55, CurrencyFormat(FLocaleFormats, "#,##0.00")},
        {56, FLocaleFormats.ShortDate},
        {57, FLocaleFormats.ShortTime},
        {58, "@"},
    };
    for (std::size_t i = 0; i < FFormats.Count(); ++i)
        if (FFormats.Items(i).TextFormat == tfUser)
            formats.emplace_back(static_cast<unsigned>(59 + i), FFormats.Items(i).TextFormatUser);
    for (auto& [index, text] : formats) {
        if (text.size() > 255)
            text.resize(255);
        TPut w{FBuffer.data()};
        w.u16(index);
        if (FXLSVersion == xls97)
            w.text8(text, true);
        else
            w.u8(static_cast<unsigned>(text.size())).bytes(text);
        WriteRecord(rtFormat, w.N);
    }
}

void TCustomXLSWrite::WriteStandardXfs() {
    for (unsigned i = 0; i < 16; ++i) {
        TXfBits xf;
        xf.Font = (i == 1 || i == 2) ? 1 : (i == 3 || i == 4) ? 2 : 0;
        xf.Type = i == 15 ? 0x0001 : 0xFFF5;
        xf.Used = (i == 0 || i == 15) ? 0 : (0xF4 >> 2);
        TPut w{FBuffer.data()};
        FXLSVersion == xls97 ? xf.Put8(w) : xf.Put5(w);
        WriteRecord(rtXf, w.N);
    }
}

void TCustomXLSWrite::WriteCellFormatXfs() {
    const unsigned firstListedFont = FXLSVersion == xls97 ? 5 : 7;
    for (std::size_t i = 0; i < FFormats.Count(); ++i) {
        const TCellFormat& f = FFormats.Items(i);
        TXfBits xf; // a copy of standard format 15
        if (f.CellColor != xcNoColor) {
            xf.Fore = ColorIndex(f.CellColor);
            xf.Pattern = 1;
            xf.Used |= 0x10;
        }
        if (f.TextFormat != tfGeneral) {
            xf.Format = f.TextFormat == tfUser ? static_cast<unsigned>(59 + i)
                                               : 49 + static_cast<unsigned>(f.TextFormat);
            xf.Used |= 0x01;
        }
        auto font = std::find(FFontList.begin(), FFontList.end(), f.Font);
        if (font == FFontList.end())
            font = FFontList.insert(FFontList.end(), f.Font);
        xf.Font = static_cast<unsigned>(font - FFontList.begin()) + firstListedFont;
        xf.Used |= 0x02;
        if (!f.Border.empty()) {
            xf.Used |= 0x08;
            xf.Left = f.Border.contains(cbLeft);
            xf.Top = f.Border.contains(cbTop);
            xf.Right = f.Border.contains(cbRight);
            xf.Bottom = f.Border.contains(cbBottom);
            xf.Diag = f.Border.contains(cbDiag);
        }
        xf.Align = static_cast<unsigned>(f.HorizAlignment) |
                   (static_cast<unsigned>(f.VertAlignment) << 4) | (f.WrapText ? 0x08 : 0);
        if (xf.Align)
            xf.Used |= 0x04;
        if (!f.Protection.empty()) {
            xf.Used |= 0x20;
            if (f.Protection.contains(cpLocked))
                xf.Type |= 0x0001;
            if (f.Protection.contains(cpHidden))
                xf.Type |= 0x0002;
        }
        TPut w{FBuffer.data()};
        FXLSVersion == xls97 ? xf.Put8(w) : xf.Put5(w);
        WriteRecord(rtXf, w.N);
    }
}

void TCustomXLSWrite::WriteFont(const TExcelFont& font) {
    std::string name = font.Name.substr(0, 255);
    unsigned options = 0;
    if (font.Style.contains(xfsItalic))
        options |= 0x0002;
    if (font.Style.contains(xfsStrikeOut))
        options |= 0x0008;
    static const unsigned underline[] = {0x00, 0x01, 0x02, 0x21, 0x22};
    TPut w{FBuffer.data()};
    w.u16(static_cast<unsigned>(font.Size) * 20 & 0xFFFF).u16(options).u16(ColorIndex(font.Color));
    w.u16(font.Style.contains(xfsBold) ? 700 : 400).u16(0).u8(underline[font.Underline]);
    w.u8(0).u8(font.Charset).u8(0).u8(static_cast<unsigned>(name.size()));
    if (FXLSVersion == xls97) {
        w.u8(1);
        for (unsigned char c : name)
            w.u16(Win1252ToUnicode(c));
    } else {
        w.bytes(name);
    }
    WriteRecord(rtFont, w.N);
}

void TCustomXLSWrite::WriteFonts() {
    const int defaults = FXLSVersion == xls97 ? 4 : 6;
    for (int i = 0; i < defaults; ++i)
        WriteFont(FFont);
    for (const TExcelFont& font : FFontList)
        WriteFont(font);
}

void TCustomXLSWrite::WriteStyles() {
    static const unsigned styles[6][2] = {{0x8010, 3}, {0x8011, 6}, {0x8012, 4},
                                          {0x8013, 7}, {0x8000, 0}, {0x8014, 5}};
    for (const auto& s : styles) {
        TPut w{FBuffer.data()};
        w.u16(s[0]).u8(s[1]).u8(0xFF);
        WriteRecord(rtStyle, w.N);
    }
}

void TCustomXLSWrite::WritePalette() {
    TPut w{FBuffer.data()};
    w.u16(56);
    for (std::uint32_t rgb : DefaultPalette)
        w.u8(rgb >> 16).u8(rgb >> 8).u8(rgb).u8(0);
    WriteRecord(rtPalette, w.N);
}

void TCustomXLSWrite::WriteBoundSheets() {
    for (const std::string& name : FSheets) {
        FSheetPositionSlots.push_back(FStream->Position() + 4);
        TPut w{FBuffer.data()};
        w.u32(0).u16(0);
        if (FXLSVersion == xls97)
            w.text8(name, false);
        else
            w.u8(static_cast<unsigned>(name.size())).bytes(name);
        WriteRecord(rtBoundSheet, w.N);
    }
}

void TCustomXLSWrite::NextSheet() {
    if (!FileIsOpen())
        throw EXlsError("Call to NextSheet without OpenFile");
    if (FXLSVersion == xls40 || FSheetCount >= static_cast<int>(FSheets.size()))
        throw EXlsError("Sheet index out of range");
    if (FSheetCount > 0)
        EndSheet();
    FInGlobals = false;
    WriteRecord(rtEOF, 0);
    // The slot is missing when writing the globals failed before it.
    if (static_cast<std::size_t>(FSheetCount) < FSheetPositionSlots.size())
        FStream->Write32(FSheetPositionSlots[FSheetCount],
                         static_cast<std::uint32_t>(FStream->Position()));
    FStream->SeekEnd();
    ++FSheetCount;
    BeginSheet();
}

void TCustomXLSWrite::BeginSheet() {
    TPut bof{FBuffer.data()};
    if (FXLSVersion == xls97)
        bof.u16(0x0600).u16(0x0010).u16(0).u16(0x07CE).u32(0).u32(6);
    else
        bof.u16(0x0500).u16(0x0010).u16(0x0DBB).u16(0x07CE);
    WriteRecord(rtBof97, bof.N);
    WriteWord(rtUncalced, 0);
    WriteWord(rtCalcMode, 1);
    WriteWord(rtCalcCount, 100);
    WriteWord(rtRefMode, 1);
    WriteWord(rtIteration, 0);
    TPut{FBuffer.data()}.f64(0.001);
    WriteRecord(rtDelta, 8);
    WriteWord(rtSaveRecalc, 1);
    WriteWord(rtPrintHeaders, 0);
    WriteWord(rtPrintGridlines, 0);
    WriteWord(rtGridSet, 1);
    TPut{FBuffer.data()}.fill(0, 8);
    WriteRecord(rtGuts, 8);
    TPut{FBuffer.data()}.u16(0).u16(255);
    WriteRecord(rtDefaultRowHeight, 4);
    TPut{FBuffer.data()}.u16(1).u16(1);
    WriteRecord(rtCountry, 4);
    WriteWord(rtWsBool, 0x04C1);
    WriteRecord(rtHeader, 0);
    WriteRecord(rtFooter, 0);
    WriteWord(rtHCenter, 0);
    WriteWord(rtVCenter, 0);
    const std::pair<std::uint16_t, double> margins[] = {{rtLeftMargin, FPageSetup.MarginLeft},
                                                        {rtRightMargin, FPageSetup.MarginRight},
                                                        {rtTopMargin, FPageSetup.MarginTop},
                                                        {rtBottomMargin, FPageSetup.MarginBottom}};
    for (const auto& [type, margin] : margins)
        if (margin >= 0) {
            TPut{FBuffer.data()}.f64(margin);
            WriteRecord(type, 8);
        }
    unsigned options = 0;
    static const unsigned optionBits[] = {0x01, 0x02, 0x08, 0x10, 0x20};
    for (TPageSetupOption o : FPageSetup.Options)
        options |= optionBits[o];
    TPut setup{FBuffer.data()};
    setup.u16(0).u16(FPageSetup.ScalingFactor).u16(FPageSetup.StartingPage).u16(1).u16(1);
    setup.u16(options).u16(600).u16(600).f64(FPageSetup.HeaderMargin);
    setup.f64(FPageSetup.FooterMargin).u16(FPageSetup.Copies);
    WriteRecord(rtSetup, setup.N);
    WriteWord(rtExternCount, 1);
    TPut{FBuffer.data()}.u8(1).u8(2);
    WriteRecord(rtExternSheet, 2);
    // Room for defined and external names; nothing here fills it.
    FReservedAreaOffset = FStream->Position();
    TPut{FBuffer.data()}.fill(0, FReservedExtnamesSize);
    WriteRecord(0x0000, FReservedExtnamesSize);
    WriteWord(rtDefColWidth, 8);
    if (FXLSVersion == xls97) {
        TPut{FBuffer.data()}.u32(0).u32(1).u16(0).u16(1).u16(0);
        WriteRecord(rtDimensions, 14);
    }
}

void TCustomXLSWrite::EndSheet() {
    unsigned options = 0x04B0;
    if (FSheetCount == 1)
        options |= 0x0200;
    if (FOptions.contains(soGridlines))
        options |= 0x0002;
    if (FOptions.contains(soRowColHeadings))
        options |= 0x0004;
    if (FXLSVersion == xls97) {
        TPut{FBuffer.data()}.u16(options).fill(0, 16);
        WriteRecord(rtWindow2, 18);
    } else {
        WriteSheetWindow();
        TPut{FBuffer.data()}.u16(options).fill(0, 8);
        WriteRecord(rtWindow2, 10);
    }
    TPut w{FBuffer.data()};
    w.u8(3).u16(0).u16(0).u16(0).u16(1).u16(0).u16(0).u8(0).u8(0);
    WriteRecord(rtSelection, w.N);
}

void TCustomXLSWrite::Open40() {
    FSheetCount = 1;
    FInGlobals = false;
    TPut{FBuffer.data()}.u16(0x0400).u16(0x0010).u16(0).u16(0);
    WriteRecord(rtBof4, 8);
    // Readers need the code page, the fonts and the format the XF records
    // refer to; without them texts and numbers are misread.
    WriteWord(rtCodepage, 1252);
    for (int i = 0; i < 4; ++i) {
        const std::string name = FFont.Name.substr(0, 255);
        TPut w{FBuffer.data()};
        w.u16(static_cast<unsigned>(FFont.Size) * 20 & 0xFFFF).u16(0).u16(0x7FFF);
        w.u8(static_cast<unsigned>(name.size())).bytes(name);
        WriteRecord(rtFont4, w.N);
    }
    TPut general{FBuffer.data()};
    general.u16(0).u8(7).bytes("General");
    WriteRecord(rtFormat, general.N);
    // XF 0 normal style, 1-14 and 16-20 further styles, 15 the cell format.
    for (unsigned i = 0; i < 21; ++i) {
        const bool cell = i == 15, plain = i == 0 || cell;
        const unsigned font = (i == 1 || i == 2) ? 1 : (i == 3 || i == 4) ? 2 : 0;
        TPut w{FBuffer.data()};
        w.u8(font).u8(0).u16(cell ? 0x0001 : 0xFFF5).u16(plain ? 0x0020 : 0xF420);
        w.u16(0xCE00).u32(0); // no pattern, window text and background colours
        WriteRecord(rtXf4, w.N);
    }
    TPut{FBuffer.data()}.fill(0, 10);
    WriteRecord(rtDimensions, 10);
}

void TCustomXLSWrite::Close40() {
    TPut window{FBuffer.data()};
    window.u16(120).u16(120).u16(23820).u16(15720).u16(0);
    WriteRecord(rtWindow1, window.N);
    unsigned options = 0x00B0;
    if (FOptions.contains(soGridlines))
        options |= 0x0002;
    if (FOptions.contains(soRowColHeadings))
        options |= 0x0004;
    TPut{FBuffer.data()}.u16(options).fill(0, 8);
    WriteRecord(rtWindow2, 10);
    WriteRecord(rtEOF, 0);
}

void TCustomXLSWrite::CheckCell(int column, int row) const {
    // Rows and columns are stored as 16-bit (columns 8-bit) numbers: anything
    // beyond would land in a wrong cell.
    if (row < 0 || row >= MaxRows())
        throw EXlsError(CellText(row, column) + "Row out of range, a worksheet holds at most " +
                        std::to_string(MaxRows()) + " rows");
    if (column < 0 || column >= MaxColumns)
        throw EXlsError(CellText(row, column) + "Column out of range, a worksheet holds at most " +
                        std::to_string(MaxColumns) + " columns");
}

std::uint16_t TCustomXLSWrite::CellXf(int format) const {
    if (FXLSVersion == xls40)
        return 0;
    return format < 0 ? 15 : static_cast<std::uint16_t>(16 + format);
}

void TCustomXLSWrite::WriteNumber(int column, int row, double value, int format) {
    if (!FileIsOpen())
        throw EXlsError("Can not write cells when file is closed");
    CheckCell(column, row);
    TPut w{FBuffer.data()};
    w.u16(row).u16(column).u16(CellXf(format)).f64(value);
    WriteRecord(rtNumber, w.N);
}

void TCustomXLSWrite::WriteString(int column, int row, const std::string& text, int format) {
    if (text.empty())
        return;
    if (!FileIsOpen())
        throw EXlsError("Can not write cells when file is closed");
    if (FXLSVersion == xls97 && text.size() > 32767)
        throw EXlsError(CellText(row, column) + "String length more than 32767 bytes");
    if (FXLSVersion != xls97 && text.size() > 255)
        throw EXlsError(CellText(row, column) + "String length more than 255 bytes");
    CheckCell(column, row);
    TPut w{FBuffer.data()};
    w.u16(row).u16(column).u16(CellXf(format));
    if (FXLSVersion == xls97) {
        w.u32(FSharedStrings->Add(text));
        WriteRecord(rtLabelSst, w.N);
    } else {
        w.u16(static_cast<unsigned>(text.size())).bytes(text).u8(0);
        WriteRecord(rtLabel, w.N);
    }
}

void TCustomXLSWrite::WriteSharedStrings() {
    std::vector<std::uint8_t> tail = FStream->TakeTail(FGlobalsEnd);
    try {
        FSharedStrings->Emit(
            FBuffer.data(), FBuffer.size(),
            [this](std::uint16_t type, std::size_t length) { WriteRecord(type, length); });
    } catch (...) {
        // Leave the stream as it was, so closing later still finds the sheets.
        FStream->TakeTail(FGlobalsEnd);
        FStream->Write(tail.data(), tail.size());
        throw;
    }
    const std::uint64_t inserted = FStream->Position() - FGlobalsEnd;
    FStream->Write(tail.data(), tail.size());
    for (std::size_t i = 0; i < FSheetPositionSlots.size(); ++i)
        FStream->Write32(
            FSheetPositionSlots[i],
            static_cast<std::uint32_t>(FStream->Read32(FSheetPositionSlots[i]) + inserted));
    FSharedStrings->Clear();
}

void TCustomXLSWrite::CloseFile() {
    if (!FileIsOpen())
        return;
    if (FXLSVersion == xls40) {
        Close40();
    } else {
        while (FSheetCount < static_cast<int>(FSheets.size()))
            NextSheet();
        if (FSheetCount > 0)
            EndSheet();
        if (FXLSVersion == xls97)
            WriteSharedStrings();
        WriteRecord(rtEOF, 0);
    }
    ReleaseFile();
}

void TCustomXLSWrite::ReleaseFile() {
    std::unique_ptr<TWorkbookStream> stream = std::move(FStream);
    FBuffer.clear();
    FBuffer.shrink_to_fit();
    FSharedStrings.reset();
    FFontList.clear();
    FSheetPositionSlots.clear();
    FInGlobals = false;
    if (stream)
        stream->Close();
}

} // namespace qb
