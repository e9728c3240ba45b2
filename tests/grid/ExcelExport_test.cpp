#include "grid/ExcelExport.h"

#include "support/Exception.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

using qb::SaveAsExcel;
using qb::TryParseNumber;

namespace {

// Cells as the independent reader (python3-xlrd) sees them.
std::string ReadBack(const std::string& file, const std::string& mode = "cells") {
    const std::string cmd = "/usr/bin/python3 '" QB_SOURCE_DIR "/tests/xls/xls_dump.py' " + mode +
                            " '" + file + "' 2>&1";
    std::FILE* pipe = popen(cmd.c_str(), "r");
    std::string out;
    std::array<char, 4096> chunk;
    std::size_t n;
    while (pipe && (n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        out.append(chunk.data(), n);
    const int status = pipe ? pclose(pipe) : -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
    return out;
}

TEST(ExcelExportTest, TryParseNumber) {
    struct Case {
        const char* Text;
        bool Accepted;
        double Value;
    } cases[] = {
        {"12", true, 12},     {"  12 \t", true, 12},    {"-3.5e2", true, -350},
        {"+.5", true, 0.5},   {"7.", true, 7},          {"12.50", true, 12.5},
        {"1E+3", true, 1000}, {"\r\n0\x01", true, 0},   {"", false, 0},
        {"   ", false, 0},    {"1,5", false, 0},        {"1,234.50", false, 0},
        {"12 %", false, 0},   {"12%", false, 0},        {"1e", false, 0},
        {"1e+", false, 0},    {"--1", false, 0},        {"1.2.3", false, 0},
        {"$12", false, 0},    {"2008-05-01", false, 0}, {"12 34", false, 0},
        {"-", false, 0},      {".", false, 0},          {"e5", false, 0},
        {"1e999", false, 0},  {"0x10", false, 0},       {"inf", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        double value = -999;
        EXPECT_EQ(TryParseNumber(c.Text, value), c.Accepted);
        if (c.Accepted) {
            EXPECT_DOUBLE_EQ(value, c.Value);
        }
    }
}

TEST(ExcelExportTest, NumbersBecomeNumberCellsAndEverythingElseText) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("results.xls").toStdString();
    const std::vector<std::vector<std::string>> rows = {
        {"Symbol", "Price", "Note"},
        {"ABC", "12.50", "1,234.50"},
        {"DEF", "12%", "2008-05-01"},
        {"", "-3", ""},
        {"Caf\xE9 \x80", "", std::string(300, 'x')},
    };
    std::vector<std::pair<int, int>> progress;
    SaveAsExcel(rows, file, [&](int row, int count) { progress.emplace_back(row, count); });

    EXPECT_EQ(ReadBack(file), "biff 80\n"
                              "sheet Sheet1 5 3\n"
                              "cell 0 0 s Symbol\n"
                              "cell 0 1 s Price\n"
                              "cell 0 2 s Note\n"
                              "cell 1 0 s ABC\n"
                              "cell 1 1 n 12.5\n"
                              "cell 1 2 s 1,234.50\n"
                              "cell 2 0 s DEF\n"
                              "cell 2 1 s 12%\n"
                              "cell 2 2 s 2008-05-01\n"
                              "cell 3 1 n -3.0\n"
                              "cell 4 0 s Café €\n"
                              "cell 4 2 s " +
                                  std::string(300, 'x') + "\n");
    const std::vector<std::pair<int, int>> expected = {{0, 5}, {0, 5}, {1, 5}, {2, 5},
                                                       {3, 5}, {4, 5}, {5, 5}};
    EXPECT_EQ(progress, expected);
}

// The workbook's date, time and currency formats follow the user's locale.
TEST(ExcelExportTest, NumberFormatsFollowTheLocale) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("formats.xls").toStdString();
    struct Case {
        QLocale::Language Language;
        QLocale::Country Country;
        std::string Expected;
    } cases[] = {
        {QLocale::English, QLocale::UnitedStates,
         "format 54 $ #,##0;($#,##0)\nformat 55 $ #,##0.00;($#,##0.00)\n"
         "format 56 M/d/yy\nformat 57 h:mm AP\n"},
        {QLocale::German, QLocale::Germany,
         "format 54 #,##0  \u20ac;-#,##0 \u20ac\nformat 55 #,##0.00  \u20ac;-#,##0.00 \u20ac\n"
         "format 56 dd.MM.yy\nformat 57 HH:mm\n"},
        {QLocale::Hindi, QLocale::India, // the rupee sign is not in the code page
         "format 54  #,##0;-#,##0\nformat 55  #,##0.00;-#,##0.00\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QLocale(c.Language, c.Country).name().toStdString());
        QLocale::setDefault(QLocale(c.Language, c.Country));
        SaveAsExcel({{"x"}}, file);
        const std::string seen = ReadBack(file, "formats");
        EXPECT_NE(seen.find(c.Expected), std::string::npos) << seen;
    }
    QLocale::setDefault(QLocale::c());
}

TEST(ExcelExportTest, EmptyTableGivesOneEmptySheet) {
    QTemporaryDir dir;
    for (const auto& rows : {std::vector<std::vector<std::string>>{},
                             std::vector<std::vector<std::string>>{{"", ""}, {"", ""}}}) {
        const std::string file = dir.filePath("empty.xls").toStdString();
        SaveAsExcel(rows, file);
        EXPECT_EQ(ReadBack(file), "biff 80\nsheet Sheet1 0 0\n");
    }
}

// A worksheet holds 65,536 rows (header included): more must be refused, not
// silently cut, and nothing may be written.
TEST(ExcelExportTest, TooManyRowsOrColumnsAreRefusedBeforeWriting) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("big.xls").toStdString();
    std::vector<std::vector<std::string>> rows(65537, std::vector<std::string>{"1"});
    try {
        SaveAsExcel(rows, file);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "The results have 65537 rows; a spreadsheet file holds at most "
                               "65536. Nothing was exported.");
    }
    EXPECT_FALSE(std::filesystem::exists(file));
    const std::vector<std::vector<std::string>> wide = {std::vector<std::string>(257, "a")};
    EXPECT_THROW(SaveAsExcel(wide, file), Exception);
    EXPECT_FALSE(std::filesystem::exists(file));

    rows.pop_back(); // exactly 65,536 rows fit
    rows.back() = {"last"};
    SaveAsExcel(rows, file);
    const std::string seen = ReadBack(file);
    EXPECT_NE(seen.find("sheet Sheet1 65536 1\n"), std::string::npos);
    EXPECT_NE(seen.find("cell 65535 0 s last\n"), std::string::npos);
}

TEST(ExcelExportTest, FileSystemErrorsReachTheCaller) {
    EXPECT_THROW(SaveAsExcel({{"a"}}, "/nonexistent-dir/x.xls"), Exception);
}

} // namespace
