#pragma once
// Writes a spreadsheet file in the binary record format (BIFF): xls97 is a
// "Workbook" stream in a compound document, xls50 a "Book" stream, xls40 a
// plain single-worksheet file.  The caller opens the file, writes cells in any
// order, moves on to further worksheets and closes it.
#include "xls/CellFormat.h"
#include "xls/ExcelFont.h"
#include "xls/PageSetup.h"
#include "xls/XlsTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qb {

class TWorkbookStream;
class TSharedStrings;
class TCustomXLSWrite;

// Called with every record before it is written; may change the header and
// point the data elsewhere (at least header.Length bytes must stay readable).
using TRecordEvent =
    std::function<void(TCustomXLSWrite& sender, TBiffHeader& header, std::uint8_t*& data)>;

class TCustomXLSWrite {
public:
    TCustomXLSWrite();
    virtual ~TCustomXLSWrite(); // closes an open file first
    TCustomXLSWrite(const TCustomXLSWrite&) = delete;
    TCustomXLSWrite& operator=(const TCustomXLSWrite&) = delete;

    TXLSVersion XLSVersion() const { return FXLSVersion; }
    void SetXLSVersion(TXLSVersion version);
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& fileName) { FFileName = fileName; }
    const std::vector<std::string>& Sheets() const { return FSheets; }
    void SetSheets(const std::vector<std::string>& sheets) { FSheets = sheets; }
    int CurrSheetIndex() const { return FSheetCount - 1; }
    bool FileIsOpen() const;
    int MaxBuffsize() const { return FXLSVersion == xls97 ? 8224 : 2080; }
    const TSheetOptions& Options() const { return FOptions; }
    void SetOptions(const TSheetOptions& options) { FOptions = options; }
    TExcelFont& Font() { return FFont; }
    TCellFormats& Formats() { return FFormats; }
    TPageSetup& PageSetup() { return FPageSetup; }
    bool WriteGlobalData() const { return FWriteGlobalData; }
    void SetWriteGlobalData(bool value) { FWriteGlobalData = value; }
    int ReservedExtnamesSize() const { return FReservedExtnamesSize; }
    void SetReservedExtnamesSize(int size);
    const TRecordEvent& OnWriteData() const { return FOnWriteData; }
    void SetOnWriteData(TRecordEvent handler) { FOnWriteData = std::move(handler); }
    // Date, time and currency formats of the user's locale, for the number
    // formats of the workbook globals.
    const TXlsLocaleFormats& LocaleFormats() const { return FLocaleFormats; }
    void SetLocaleFormats(const TXlsLocaleFormats& formats) { FLocaleFormats = formats; }

    void OpenFile();
    void NextSheet();
    // Format index f >= 0 selects Formats item f; a negative index the default.
    void WriteNumber(int column, int row, double value, int format);
    // An empty text writes nothing, also when no file is open.
    void WriteString(int column, int row, const std::string& text, int format);
    void CloseFile(); // does nothing when no file is open

    // Largest row and column count a worksheet of the current version holds.
    int MaxRows() const { return FXLSVersion == xls97 ? 65536 : 16384; }
    static constexpr int MaxColumns = 256;

private:
    struct TXfBits;

    void WriteRecord(std::uint16_t type, std::size_t length);
    void WriteRecord(std::uint16_t type, std::size_t length, std::uint8_t* data);
    void WriteWord(std::uint16_t type, std::uint16_t value);
    void WriteGlobals();
    void WriteGlobals97();
    void WriteGlobals50();
    void WriteFormats();
    void WriteStandardXfs();
    void WriteCellFormatXfs();
    void WriteFonts();
    void WriteFont(const TExcelFont& font);
    void WriteStyles();
    void WritePalette();
    void WriteBoundSheets();
    void BeginSheet();
    void EndSheet();
    void WriteSheetWindow();
    void WriteBookWindowAndOptions();
    void WriteSharedStrings();
    void Open40();
    void Close40();
    void CheckCell(int column, int row) const;
    std::uint16_t CellXf(int format) const;
    void ReleaseFile();

    TXLSVersion FXLSVersion = xls50;
    std::string FFileName;
    std::vector<std::string> FSheets{"Sheet1"};
    TSheetOptions FOptions{soGridlines, soRowColHeadings};
    TExcelFont FFont;
    TCellFormats FFormats;
    TPageSetup FPageSetup;
    bool FWriteGlobalData = false;
    int FReservedExtnamesSize = 256;
    TRecordEvent FOnWriteData;
    TXlsLocaleFormats FLocaleFormats;

    // Working state while a file is open.
    std::vector<std::uint8_t> FBuffer; // the record buffer; non-empty means open
    std::unique_ptr<TWorkbookStream> FStream;
    int FSheetCount = 0;
    bool FInGlobals = false;
    std::vector<std::uint64_t> FSheetPositionSlots;
    std::vector<TExcelFont> FFontList;
    std::unique_ptr<TSharedStrings> FSharedStrings;
    std::uint64_t FGlobalsEnd = 0;
    std::uint64_t FReservedAreaOffset = 0;
};

} // namespace qb
