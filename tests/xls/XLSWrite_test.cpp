#include "xls/XLSWrite.h"

#include "support/XlsTestSupport.h"
#include "xls/XlsError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>

using namespace xlstest;
using namespace qb;

namespace {

std::vector<std::uint8_t> WorkbookStream(const std::string& file, const char* name = "Workbook") {
    return ReadCompoundStream(ReadFile(file), name);
}

std::vector<Record> WorkbookRecords(const std::string& file, const char* name = "Workbook") {
    return SplitRecords(WorkbookStream(file, name));
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::string WriteBook(const TempDir& dir, const std::string& name, TXLSVersion version,
                      const std::function<void(TXLSWrite&)>& cells) {
    const std::string file = dir.File(name);
    TXLSWrite w;
    w.SetXLSVersion(version);
    w.SetFileName(file);
    w.OpenFile();
    cells(w);
    w.CloseFile();
    return file;
}

// Hex of a text as BIFF8 stores it in FORMAT and SST: 16-bit count, option 0.
std::string Str16(const std::string& text) {
    const std::vector<std::uint8_t> count = {static_cast<std::uint8_t>(text.size()),
                                             static_cast<std::uint8_t>(text.size() >> 8), 0};
    return Hex(count) + Hex(std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string U32(std::uint32_t v) {
    return Hex(
        {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)});
}

// The whole stream of a small workbook, record by record: globals with one
// cell format, one sheet with a margin, a number and the same text twice.
TEST(XLSWriteTest, SmallWorkbookRecordSequence) {
    TempDir dir;
    const std::string file = dir.File("small.xls");
    {
        TXLSWrite w;
        w.SetXLSVersion(xls97);
        w.SetFileName(file);
        w.SetLocaleFormats({"dd.MM.yyyy", "HH:mm", "kr", 3, 8});
        TCellFormat& f = w.Formats().Add();
        f.TextFormat = tf2Dec;
        f.CellColor = xcWhite;
        f.Font.Style = {xfsBold};
        f.Border = {cbLeft, cbBottom};
        f.HorizAlignment = chaRight;
        f.Protection = {cpHidden};
        w.PageSetup().MarginLeft = 0.75;
        w.OpenFile();
        w.WriteNumber(0, 0, 12.5, -1);
        w.WriteString(1, 0, "Hi", 0);
        w.WriteString(1, 1, "Hi", -1);
        w.WriteString(2, 1, "", -1);
    } // destroying the writer closes the file

    // clang-format off
    const std::string spaces = Repeat("20", 108);
    const std::string xfStyle = "F5FF2000", xfTail = "0000000000000000C020";
    const std::string arial = "0501" "41007200690061006C00"; // 16-bit name
    const std::string font = "C80000000800" "9001" "000000000000" + arial;
    const std::string boldFont = "C80000000800" "BC02" "000000000000" + arial;
    const std::string palette = "3800"
        "00000000" "FFFFFF00" "FF000000" "00FF0000" "0000FF00" "FFFF0000" "FF00FF00" "00FFFF00"
        "80000000" "00800000" "00008000" "80800000" "80008000" "00808000" "C0C0C000" "80808000"
        "9999FF00" "99336600" "FFFFCC00" "CCFFFF00" "66006600" "FF808000" "0066CC00" "CCCCFF00"
        "00008000" "FF00FF00" "FFFF0000" "00FFFF00" "80008000" "80000000" "00808000" "0000FF00"
        "00CCFF00" "CCFFFF00" "CCFFCC00" "FFFF9900" "99CCFF00" "FF99CC00" "CC99FF00" "E3E3E300"
        "3366FF00" "33CCCC00" "99CC0000" "FFCC0000" "FF990000" "FF660000" "66669900" "96969600"
        "00336600" "33996600" "00330000" "33330000" "99330000" "99336600" "33339900" "33333300";
    std::vector<std::pair<std::uint16_t, std::string>> expected = {
        {0x0809, "0006" "0500" "0000" "CE07" "00000000" "06000000"},
        {0x005C, "01000058" + spaces},
        {0x0042, "B004"}, {0x0161, "0000"}, {0x013D, "0100"}, {0x009C, "0E00"},
        {0x0019, "0000"}, {0x0012, "0000"}, {0x0013, "0000"}, {0x01AF, "0000"},
        {0x01BC, "0000"},
        {0x003D, "7800" "7800" "0C5D" "683D" "3800" "0000" "0000" "0100" "5802"},
        {0x0040, "0000"}, {0x008D, "0000"}, {0x0022, "0000"}, {0x000E, "0100"},
        {0x01B7, "0000"}, {0x00DA, "0000"},
        {0x041E, "3200" + Str16("0.00")},
        {0x041E, "3300" + Str16("#,##0")},
        {0x041E, "3400" + Str16("#,##0.00")},
        {0x041E, "3500" + Str16("0.00%")},
        {0x041E, "3600" + Str16("#,##0  kr;-#,##0 kr")},
        {0x041E, "3700" + Str16("#,##0.00  kr;-#,##0.00 kr")},
        {0x041E, "3800" + Str16("dd.MM.yyyy")},
        {0x041E, "3900" + Str16("HH:mm")},
        {0x041E, "3A00" + Str16("@")},
        {0x00E0, "0000" "0000" + xfStyle + "0000" + xfTail},
        {0x00E0, "0100" "0000" + xfStyle + "00F4" + xfTail},
        {0x00E0, "0100" "0000" + xfStyle + "00F4" + xfTail},
        {0x00E0, "0200" "0000" + xfStyle + "00F4" + xfTail},
        {0x00E0, "0200" "0000" + xfStyle + "00F4" + xfTail},
    };
    for (int i = 5; i <= 14; ++i)
        expected.push_back({0x00E0, "0000" "0000" + xfStyle + "00F4" + xfTail});
    const std::vector<std::pair<std::uint16_t, std::string>> rest = {
        {0x00E0, "0000" "0000" "0100" "20" "00" "00" "00" + xfTail},
        // Formats item 0: font 5, format 50, hidden, right, thin left and
        // bottom lines in colour 8, solid white, every used-attribute flag.
        {0x00E0, "0500" "3200" "0300" "03" "00" "00" "FC" "01100800" "00040004" "8920"},
        {0x0031, font}, {0x0031, font}, {0x0031, font}, {0x0031, font},
        {0x0031, boldFont},
        {0x0293, "1080" "03" "FF"}, {0x0293, "1180" "06" "FF"}, {0x0293, "1280" "04" "FF"},
        {0x0293, "1380" "07" "FF"}, {0x0293, "0080" "00" "FF"}, {0x0293, "1480" "05" "FF"},
        {0x0092, palette},
        {0x0160, "0100"},
        {0x0085, "BOUNDSHEET"},
        {0x008C, "0100" "0100"},
        {0x00FC, "02000000" "01000000" + Str16("Hi")},
        {0x000A, ""},
        {0x0809, "0006" "1000" "0000" "CE07" "00000000" "06000000"},
        {0x005E, "0000"}, {0x000D, "0100"}, {0x000C, "6400"}, {0x000F, "0100"},
        {0x0011, "0000"}, {0x0010, "FCA9F1D24D62503F"}, {0x005F, "0100"},
        {0x002A, "0000"}, {0x002B, "0000"}, {0x0082, "0100"},
        {0x0080, "0000000000000000"}, {0x0225, "0000" "FF00"}, {0x008C, "0100" "0100"},
        {0x0081, "C104"}, {0x0014, ""}, {0x0015, ""}, {0x0083, "0000"}, {0x0084, "0000"},
        {0x0026, "000000000000E83F"},
        {0x00A1, "0000" "2E00" "0100" "0100" "0100" "0200" "5802" "5802"
                 "0000000000000000" "0000000000000000" "0000"},
        {0x0016, "0100"}, {0x0017, "0102"},
        {0x0000, Repeat("00", 256)},
        {0x0055, "0800"},
        {0x0200, "00000000" "01000000" "0000" "0100" "0000"},
        {0x0203, "0000" "0000" "0F00" "0000000000002940"},
        {0x00FD, "0000" "0100" "1000" "00000000"},
        {0x00FD, "0100" "0100" "0F00" "00000000"},
        {0x023E, "B606" + Repeat("00", 16)},
        {0x001D, "03" "0000" "0000" "0000" "0100" "0000" "0000" "00" "00"},
        {0x000A, ""},
    };
    // clang-format on
    expected.insert(expected.end(), rest.begin(), rest.end());

    const std::vector<Record> records = WorkbookRecords(file);
    ASSERT_EQ(records.size(), expected.size());
    std::uint64_t sheetBof = 0;
    for (std::size_t i = 1; i < records.size(); ++i)
        if (records[i].Type == 0x0809)
            sheetBof = records[i].Offset;
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i].Type, expected[i].first);
        const std::string data = expected[i].second == "BOUNDSHEET"
                                     ? U32(static_cast<std::uint32_t>(sheetBof)) +
                                           "0000"
                                           "0600" +
                                           Hex({'S', 'h', 'e', 'e', 't', '1'})
                                     : expected[i].second;
        EXPECT_EQ(Hex(records[i].Data), data);
    }
}

std::string Join(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}

// The SST and its CONTINUE records as a reader walks them: texts in order, and
// for each text whether its characters ran over a record boundary.  Throws
// when a text's count and option byte are split or bytes are left over.
struct ParsedSst {
    std::uint32_t Cells = 0, Distinct = 0;
    std::vector<std::string> Texts; // 16-bit characters above 0xFF read as "?"
    std::vector<bool> Wide, Split;
    std::vector<std::size_t> RecordSizes;
};

ParsedSst ParseSst(const std::vector<Record>& records) {
    ParsedSst sst;
    std::size_t i = 0;
    while (records.at(i).Type != 0x00FC)
        ++i;
    std::vector<std::vector<std::uint8_t>> parts;
    parts.push_back(records[i].Data);
    while (records.at(i + 1).Type == 0x003C)
        parts.push_back(records[++i].Data);
    for (const auto& p : parts)
        sst.RecordSizes.push_back(p.size());
    sst.Cells = Le32(parts[0], 0);
    sst.Distinct = Le32(parts[0], 4);
    std::size_t part = 0, pos = 8;
    for (std::uint32_t t = 0; t < sst.Distinct; ++t) {
        if (pos == parts[part].size()) {
            ++part;
            pos = 0;
        }
        const auto& head = parts.at(part);
        if (pos + 3 > head.size())
            throw std::runtime_error("text header split");
        std::size_t left = Le16(head, pos);
        bool wide = head[pos + 2] & 1;
        pos += 3;
        std::string text;
        bool split = false;
        for (;;) {
            const auto& data = parts[part];
            const std::size_t width = wide ? 2 : 1;
            const std::size_t take = std::min(left, (data.size() - pos) / width);
            for (std::size_t k = 0; k < take; ++k)
                text += wide ? static_cast<char>(Le16(data, pos + 2 * k) > 0xFF ? '?'
                                                                                : data[pos + 2 * k])
                             : static_cast<char>(data[pos + k]);
            pos += take * width;
            left -= take;
            if (left == 0)
                break;
            split = true;
            ++part;
            wide = parts.at(part).at(0) & 1;
            pos = 1;
        }
        sst.Texts.push_back(text);
        sst.Wide.push_back(wide);
        sst.Split.push_back(split);
    }
    if (part + 1 != parts.size() || pos != parts[part].size())
        throw std::runtime_error("bytes left over in the SST");
    return sst;
}

TEST(XLSWriteTest, EqualTextsAreStoredOnce) {
    TempDir dir;
    const std::string file = WriteBook(dir, "same.xls", xls97, [](TXLSWrite& w) {
        for (int r = 0; r < 1000; ++r)
            w.WriteString(0, r, "Same", -1);
        w.WriteString(1, 0, "same", -1); // compared case-sensitively
    });
    const ParsedSst sst = ParseSst(WorkbookRecords(file));
    EXPECT_EQ(sst.Cells, 1001u);
    EXPECT_EQ(sst.Distinct, 2u);
    EXPECT_EQ(sst.Texts, (std::vector<std::string>{"Same", "same"}));
    const std::vector<std::string> seen = Dump("cells", file);
    ASSERT_EQ(seen.size(), 1003u);
    EXPECT_EQ(seen[1], "sheet Sheet1 1000 2");
    EXPECT_EQ(seen[1002], "cell 999 0 s Same");
}

// Texts totalling more than a record continue whole in CONTINUE records; a
// text longer than a record is split with the option byte repeated, 8-bit or
// 16-bit, and the next text follows in the same record.
TEST(XLSWriteTest, SharedStringsContinueAndSplit) {
    TempDir dir;
    std::vector<std::string> texts;
    for (int i = 0; i < 1000; ++i)
        texts.push_back("Text number " + std::to_string(100000 + i)); // 18 bytes, 21 stored
    const std::string long8(20000, 'a');
    std::string long16;
    for (int i = 0; i < 9000; ++i)
        long16 += (i % 3 == 0) ? '\x80' : 'b'; // euro signs: 16-bit characters
    texts.push_back(long8);
    texts.push_back("after long");
    texts.push_back(long16);
    texts.push_back("after wide");
    const std::string file = WriteBook(dir, "sst.xls", xls97, [&](TXLSWrite& w) {
        for (std::size_t i = 0; i < texts.size(); ++i)
            w.WriteString(static_cast<int>(i % 10), static_cast<int>(i / 10), texts[i], -1);
    });

    const ParsedSst sst = ParseSst(WorkbookRecords(file));
    ASSERT_EQ(sst.Texts.size(), texts.size());
    for (std::size_t i = 0; i < 1000; ++i) {
        EXPECT_EQ(sst.Texts[i], texts[i]);
        EXPECT_FALSE(sst.Split[i]) << i;
    }
    EXPECT_EQ(sst.Texts[1000], long8);
    EXPECT_TRUE(sst.Split[1000]);
    EXPECT_TRUE(sst.Wide[1002] && sst.Split[1002]);
    EXPECT_FALSE(sst.Wide[1001] || sst.Split[1001] || sst.Split[1003]);
    // 8 + 391 texts of 21 bytes fill the SST record; the rest of the short
    // texts follow in CONTINUE records of 391 texts; the long text starts a
    // record of its own, fills 8224 bytes (3 + 8221), then 8224 (1 + 8223),
    // then 1 + 3556 followed by the next text (3 + 10).  The 16-bit text
    // starts afresh: 3 + 2 * 4110, 1 + 2 * 4111, and 1 + 2 * 779 + 13.
    const std::vector<std::size_t> sizes = {8 + 391 * 21,  391 * 21, 218 * 21, 8224,         8224,
                                            1 + 3556 + 13, 8223,     8223,     1 + 1558 + 13};
    EXPECT_EQ(sst.RecordSizes, sizes);

    // The independent reader gets every text back, the euro signs included.
    std::string euro16;
    for (int i = 0; i < 9000; ++i)
        euro16 += (i % 3 == 0) ? "\xE2\x82\xAC" : "b";
    const std::vector<std::string> seen = Dump("cells", file);
    ASSERT_EQ(seen.size(), 2 + texts.size());
    EXPECT_EQ(seen[2 + 999], "cell 99 9 s " + texts[999]);
    EXPECT_EQ(seen[2 + 1000], "cell 100 0 s " + long8);
    EXPECT_EQ(seen[2 + 1001], "cell 100 1 s after long");
    EXPECT_EQ(seen[2 + 1002], "cell 100 2 s " + euro16);
    EXPECT_EQ(seen[2 + 1003], "cell 100 3 s after wide");
}

// Bytes 0x80-0x9F are the euro sign, curly quotes and dashes in Windows-1252
// but control characters when read as 8-bit BIFF8 text; such texts are stored
// as 16-bit characters, everything else stays 8-bit.  Applies to cells, sheet
// names and number formats.
TEST(XLSWriteTest, Windows1252PunctuationSurvivesInBiff8) {
    TempDir dir;
    const std::string file = dir.File("euro.xls");
    {
        TXLSWrite w;
        w.SetXLSVersion(xls97);
        w.SetFileName(file);
        w.SetSheets({"Kurse \x80", "Caf\xE9"});
        TXlsLocaleFormats locale;
        locale.CurrencySymbol = "\x80";
        w.SetLocaleFormats(locale);
        w.OpenFile();
        w.WriteString(0, 0, "\x93quoted\x94 \x96 5 \x80", -1);
        w.WriteString(1, 0, "Caf\xE9 \xA0\xFF", -1);
        w.CloseFile();
    }
    EXPECT_EQ(Join(Dump("cells", file)),
              "biff 80\n"
              "sheet Kurse \xE2\x82\xAC 1 2\n"
              "cell 0 0 s \xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\x93 5 \xE2\x82\xAC\n"
              "cell 0 1 s Caf\xC3\xA9 \xC2\xA0\xC3\xBF\n"
              "sheet Caf\xC3\xA9 0 0\n");
    const std::vector<Record> records = WorkbookRecords(file);
    const ParsedSst sst = ParseSst(records);
    EXPECT_EQ(sst.Wide, (std::vector<bool>{true, false}));
    std::vector<std::string> sheetOptions, formats;
    for (const Record& r : records) {
        if (r.Type == 0x0085)
            sheetOptions.push_back(Hex({r.Data[6], r.Data[7]}));
        if (r.Type == 0x041E && Le16(r.Data, 0) == 54)
            formats.push_back(Hex(r.Data));
    }
    EXPECT_EQ(sheetOptions, (std::vector<std::string>{"0701", "0400"}));
    // "€ #,##0;(€#,##0)" in 16-bit characters.
    EXPECT_EQ(formats, (std::vector<std::string>{"3600"
                                                 "1000"
                                                 "01"
                                                 "AC20"
                                                 "2000"
                                                 "2300"
                                                 "2C00"
                                                 "2300"
                                                 "2300"
                                                 "3000"
                                                 "3B00"
                                                 "2800"
                                                 "AC20"
                                                 "2300"
                                                 "2C00"
                                                 "2300"
                                                 "2300"
                                                 "3000"
                                                 "2900"}));
}

TEST(XLSWriteTest, SheetsNeverWrittenToAreEmptyAndPositionsPointAtTheirBof) {
    TempDir dir;
    for (TXLSVersion v : {xls97, xls50}) {
        SCOPED_TRACE(v);
        const std::string file = dir.File("three.xls");
        {
            TXLSWrite w;
            w.SetXLSVersion(v);
            w.SetFileName(file);
            w.SetSheets({"One", "Two", "Three"});
            w.OpenFile();
            EXPECT_EQ(w.CurrSheetIndex(), 0);
            w.WriteString(0, 0, "only here", -1);
            w.WriteNumber(1, 2, -0.25, -1);
            w.CloseFile();
            EXPECT_EQ(w.CurrSheetIndex(), 2);
            EXPECT_FALSE(w.FileIsOpen());
        }
        const std::vector<Record> records = WorkbookRecords(file, v == xls97 ? "Workbook" : "Book");
        std::vector<std::uint64_t> positions, bofs;
        for (const Record& r : records) {
            if (r.Type == 0x0085)
                positions.push_back(Le32(r.Data, 0));
            if (r.Type == 0x0809 && Le16(r.Data, 2) == 0x0010)
                bofs.push_back(r.Offset);
        }
        EXPECT_EQ(positions, bofs);
        EXPECT_EQ(bofs.size(), 3u);
        EXPECT_EQ(Join(Dump("cells", file)), std::string(v == xls97 ? "biff 80\n" : "biff 70\n") +
                                                 "sheet One 3 2\n"
                                                 "cell 0 0 s only here\n"
                                                 "cell 2 1 n -0.25\n"
                                                 "sheet Two 0 0\n"
                                                 "sheet Three 0 0\n");
    }
}

// Every version round trip through the independent reader, with cell formats
// where the version has them (the reader then checks XF, FONT and FORMAT).
TEST(XLSWriteTest, VersionsReadBackWithFormats) {
    TempDir dir;
    struct Case {
        TXLSVersion Version;
        const char* Expected;
    } cases[] = {
        {xls97, "biff 80\nsheet Sheet1 2 3\n"
                "cell 0 0 s Caf\xC3\xA9 \xE2\x82\xAC\n"
                "  format 'General' font Arial 200 weight 400 italic 0 color 8\n"
                "cell 0 2 n 1234.5\n"
                "  format '0.00' font Courier New 240 weight 700 italic 0 color 19\n"
                "cell 1 1 n 0.5\n"
                "  format '0.0000' font Arial 200 weight 400 italic 1 color 8\n"},
        {xls50, "biff 70\nsheet Sheet1 2 3\n"
                "cell 0 0 s Caf\xC3\xA9 \xE2\x82\xAC\n"
                "  format 'General' font Arial 200 weight 400 italic 0 color 8\n"
                "cell 0 2 n 1234.5\n"
                "  format '0.00' font Courier New 240 weight 700 italic 0 color 19\n"
                "cell 1 1 n 0.5\n"
                "  format '0.0000' font Arial 200 weight 400 italic 1 color 8\n"},
        {xls40, "biff 40\nsheet Sheet 1 2 3\n"
                "cell 0 0 s Caf\xC3\xA9 \xE2\x82\xAC\n"
                "cell 0 2 n 1234.5\n"
                "cell 1 1 n 0.5\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Version);
        const std::string file = dir.File(c.Version == xls40 ? "v40.xls" : "fmt.xls");
        TXLSWrite w;
        w.SetXLSVersion(c.Version);
        w.SetFileName(file);
        TCellFormat& twoDec = w.Formats().Add();
        twoDec.TextFormat = tf2Dec;
        twoDec.Font.Name = "Courier New";
        twoDec.Font.Size = 12;
        twoDec.Font.Style = {xfsBold};
        twoDec.Font.Color = ExcelColor(10);
        TCellFormat& user = w.Formats().Add();
        user.TextFormat = tfUser;
        user.TextFormatUser = "0.0000";
        user.Font.Style = {xfsItalic};
        w.OpenFile();
        w.WriteString(0, 0, "Caf\xE9 \x80", -1);
        w.WriteNumber(2, 0, 1234.5, 0);
        w.WriteNumber(1, 1, 0.5, 1);
        w.CloseFile();
        EXPECT_EQ(Join(Dump("cells", file)), c.Expected);
        if (c.Version != xls40) {
            EXPECT_EQ(Dump("ole", file)
                          .at(0)
                          .rfind(c.Version == xls97 ? "stream Workbook " : "stream Book ", 0),
                      0u);
        }
    }
}

// A full worksheet makes a stream of over 7 MB: its container needs DIFAT
// sectors, and the readers still find the last row.
TEST(XLSWriteTest, FullWorksheetBeyondSevenMegabytes) {
    TempDir dir;
    const std::string file = WriteBook(dir, "full.xls", xls97, [](TXLSWrite& w) {
        for (int r = 0; r < 65536; ++r) {
            for (int c = 0; c < 6; ++c)
                w.WriteNumber(c, r, r + c / 10.0, -1);
            w.WriteString(6, r, "Row " + std::to_string(r), -1);
        }
    });
    const std::vector<std::uint8_t> doc = ReadFile(file);
    EXPECT_GT(Le32(doc, 72), 0u); // DIFAT sectors
    const std::vector<std::uint8_t> stream = ReadCompoundStream(doc, "Workbook");
    EXPECT_GT(stream.size(), 7u << 20);
    EXPECT_EQ(Dump("ole", file).at(0).rfind("stream Workbook " + std::to_string(stream.size()), 0),
              0u);
    const std::vector<std::string> seen = Dump("cells", file);
    ASSERT_EQ(seen.size(), 2 + 65536u * 7);
    EXPECT_EQ(seen[1], "sheet Sheet1 65536 7");
    EXPECT_EQ(seen[seen.size() - 2], "cell 65535 5 n 65535.5");
    EXPECT_EQ(seen.back(), "cell 65535 6 s Row 65535");
}

TEST(XLSWriteTest, ErrorMessages) {
    TempDir dir;
    const std::string file = dir.File("errors.xls");
    auto opened = [&](TXLSVersion v) {
        auto w = std::make_unique<TXLSWrite>();
        w->SetXLSVersion(v);
        w->SetFileName(file);
        w->OpenFile();
        return w;
    };
    struct Case {
        const char* Name;
        std::function<void()> Action;
        std::string Message;
    } cases[] = {
        {"version while open", [&] { opened(xls97)->SetXLSVersion(xls50); },
         "Version can not be changed while file is open"},
        {"empty sheet name",
         [&] {
             TXLSWrite w;
             w.SetFileName(file);
             w.SetSheets({"A", ""});
             w.OpenFile();
         },
         "Sheet Name is missing"},
        {"sheet name longer than its length byte",
         [&] {
             TXLSWrite w;
             w.SetFileName(file);
             w.SetSheets({std::string(256, 'n')});
             w.OpenFile();
         },
         "Sheet Name is too long: " + std::string(31, 'n') + "..."},
        {"open twice xls97", [&] { opened(xls97)->OpenFile(); }, "File is allready open"},
        {"open twice xls50", [&] { opened(xls50)->OpenFile(); }, "File is allready open"},
        {"open twice xls40", [&] { opened(xls40)->OpenFile(); }, "File is already open"},
        {"blank file name",
         [&] {
             TXLSWrite w;
             w.SetFileName(" \t ");
             w.OpenFile();
         },
         "Filename is missing"},
        {"next sheet closed", [&] { TXLSWrite().NextSheet(); },
         "Call to NextSheet without OpenFile"},
        {"next sheet past the last", [&] { opened(xls97)->NextSheet(); },
         "Sheet index out of range"},
        {"number closed", [&] { TXLSWrite().WriteNumber(0, 0, 1, -1); },
         "Can not write cells when file is closed"},
        {"text closed", [&] { TXLSWrite().WriteString(0, 0, "x", -1); },
         "Can not write cells when file is closed"},
        {"long text xls97", [&] { opened(xls97)->WriteString(2, 3, std::string(32768, 'x'), -1); },
         "Cell R3,C2: String length more than 32767 bytes"},
        {"long text xls50", [&] { opened(xls50)->WriteString(0, 1, std::string(256, 'x'), -1); },
         "Cell R1,C0: String length more than 255 bytes"},
        {"long text xls40", [&] { opened(xls40)->WriteString(4, 0, std::string(256, 'x'), -1); },
         "Cell R0,C4: String length more than 255 bytes"},
        {"record grown by the handler",
         [&] {
             TXLSWrite w;
             w.SetXLSVersion(xls97);
             w.SetFileName(file);
             w.SetOnWriteData([](TCustomXLSWrite&, TBiffHeader& h, std::uint8_t*&) {
                 if (h.Type == 0x0042)
                     h.Length = 8225;
             });
             w.OpenFile();
         },
         "Data size to large, max 8224 bytes"},
        {"row beyond a worksheet", [&] { opened(xls97)->WriteNumber(0, 65536, 1, -1); },
         "Cell R65536,C0: Row out of range, a worksheet holds at most 65536 rows"},
        {"row beyond a BIFF5 worksheet", [&] { opened(xls50)->WriteString(0, 16384, "x", -1); },
         "Cell R16384,C0: Row out of range, a worksheet holds at most 16384 rows"},
        {"negative row", [&] { opened(xls97)->WriteNumber(0, -1, 1, -1); },
         "Cell R-1,C0: Row out of range, a worksheet holds at most 65536 rows"},
        {"column beyond a worksheet", [&] { opened(xls97)->WriteString(256, 0, "x", -1); },
         "Cell R0,C256: Column out of range, a worksheet holds at most 256 columns"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            c.Action();
            ADD_FAILURE() << "no error";
        } catch (const EXlsError& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
}

TEST(XLSWriteTest, Lifecycle) {
    TempDir dir;
    const std::string first = dir.File("first.xls"), second = dir.File("second.xls");
    TXLSWrite w;
    EXPECT_EQ(w.XLSVersion(), xls50);
    EXPECT_EQ(w.CurrSheetIndex(), -1);
    EXPECT_EQ(w.MaxBuffsize(), 2080);
    w.WriteString(0, 0, "", -1); // an empty text is no error, even closed
    w.CloseFile();               // nothing open: harmless
    w.SetXLSVersion(xls97);
    EXPECT_EQ(w.MaxBuffsize(), 8224);
    w.SetFileName(first);
    w.OpenFile();
    w.WriteString(0, 0, "first", -1);
    w.SetFileName(second);
    EXPECT_THROW(w.OpenFile(), EXlsError); // the first file stays intact
    w.WriteNumber(1, 0, 2, -1);
    w.CloseFile();
    w.CloseFile();
    EXPECT_FALSE(w.FileIsOpen());
    EXPECT_FALSE(std::filesystem::exists(second));
    EXPECT_EQ(Join(Dump("cells", first)),
              "biff 80\nsheet Sheet1 1 2\ncell 0 0 s first\ncell 0 1 n 2.0\n");

    // The writer opens another file after closing.
    w.OpenFile();
    w.WriteString(0, 0, "second", -1);
    w.CloseFile();
    EXPECT_EQ(Join(Dump("cells", second)), "biff 80\nsheet Sheet1 1 1\ncell 0 0 s second\n");
}

// After a failure the file stays open; destroying the writer still leaves a
// complete file holding everything written before.
TEST(XLSWriteTest, DestroyingAfterAFailureKeepsWhatWasWritten) {
    TempDir dir;
    const std::string file = dir.File("failed.xls");
    {
        TXLSWrite w;
        w.SetXLSVersion(xls97);
        w.SetFileName(file);
        w.OpenFile();
        w.WriteString(0, 0, "kept", -1);
        w.WriteNumber(0, 1, 7, -1);
        EXPECT_THROW(w.WriteString(0, 2, std::string(40000, 'x'), -1), EXlsError);
        EXPECT_TRUE(w.FileIsOpen());
    }
    EXPECT_EQ(Join(Dump("cells", file)),
              "biff 80\nsheet Sheet1 2 1\ncell 0 0 s kept\ncell 1 0 n 7.0\n");
    EXPECT_THROW(
        {
            TXLSWrite w;
            w.SetFileName(dir.File("no/such/dir.xls"));
            w.OpenFile();
        },
        EXlsError);
}

TEST(XLSWriteTest, ReservedExtnamesSizeLimits) {
    TXLSWrite w;
    struct Step {
        std::function<void()> Action;
        int Expected;
    } steps[] = {
        {[] {}, 256},
        {[&] { w.SetReservedExtnamesSize(100); }, 256},   // below 256: ignored
        {[&] { w.SetReservedExtnamesSize(5000); }, 2080}, // limited to xls50's buffer
        {[&] { w.SetXLSVersion(xls97); }, 2080},
        {[&] { w.SetReservedExtnamesSize(5000); }, 5000},
        {[&] { w.SetReservedExtnamesSize(9000); }, 8224},
        {[&] { w.SetXLSVersion(xls40); }, 2080}, // the limit is applied again
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].Action();
        EXPECT_EQ(w.ReservedExtnamesSize(), steps[i].Expected) << "step " << i;
    }
}

// The handler sees every record before it is written and may point the data
// elsewhere.
TEST(XLSWriteTest, OnWriteDataSeesAndMayReplaceRecords) {
    TempDir dir;
    const std::string file = dir.File("hooked.xls");
    std::vector<std::uint16_t> seen;
    std::uint8_t replaced[14] = {0, 0, 0, 0, 15, 0}; // row 0, column 0, XF 15 ...
    const double fortyTwo = 42;
    std::memcpy(replaced + 6, &fortyTwo, 8);
    {
        TXLSWrite w;
        w.SetXLSVersion(xls97);
        w.SetFileName(file);
        w.SetOnWriteData([&](TCustomXLSWrite& sender, TBiffHeader& h, std::uint8_t*& data) {
            EXPECT_EQ(&sender, &w);
            seen.push_back(h.Type);
            if (h.Type == 0x0203)
                data = replaced;
        });
        w.OpenFile();
        w.WriteNumber(3, 3, 1, -1);
        w.WriteString(0, 1, "text", -1);
        w.CloseFile();
    }
    std::vector<std::uint16_t> written;
    for (const Record& r : WorkbookRecords(file))
        written.push_back(r.Type);
    std::vector<std::uint16_t> sorted = seen;
    std::sort(sorted.begin(), sorted.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(sorted, written); // the SST only moves
    EXPECT_EQ(Join(Dump("cells", file)),
              "biff 80\nsheet Sheet1 2 1\ncell 0 0 n 42.0\ncell 1 0 s text\n");
}

} // namespace
