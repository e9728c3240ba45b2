// The workbook writer fed a random sequence of cells, sheets and formats.
// Every file it closes must be a sound container whose stream splits into
// whole records from BOF to EOF, holding exactly the cells written, in order.
#include "FuzzCheck.h"
#include "XlsTestSupport.h"
#include "support/Exception.h"
#include "xls/XLSWrite.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Consumes the input front to back; past the end it answers zeros.
class TInput {
public:
    TInput(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
    bool Empty() const { return FAt >= FSize; }
    std::uint8_t Byte() { return FAt < FSize ? FData[FAt++] : 0; }
    std::uint16_t Word() { return std::uint16_t(Byte() | Byte() << 8); }
    double Double() {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= std::uint64_t(Byte()) << (8 * i);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string Text(std::size_t length) {
        std::string text;
        while (text.size() < length && !Empty())
            text += char(Byte());
        return text;
    }

private:
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FAt = 0;
};

struct TCell {
    int Column, Row;
    bool IsNumber;
    double Number;
};

constexpr std::uint16_t kNumber = 0x0203, kLabel = 0x0204, kLabelSst = 0x00FD, kEof = 0x000A;

bool IsBof(std::uint16_t type) {
    return type == 0x0809 || type == 0x0409;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TInput in(data, size);
    const auto version = static_cast<qb::TXLSVersion>(in.Byte() % 3);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("qb-fuzz-" + std::to_string(::getpid()) + ".xls"))
                                 .string();
    std::vector<TCell> written;
    {
        qb::TXLSWrite writer;
        writer.SetXLSVersion(version);
        writer.SetFileName(path);
        writer.SetSheets({"One", "Two", "Three"});
        writer.SetWriteGlobalData(in.Byte() & 1);
        try {
            writer.OpenFile();
            for (int steps = 0; !in.Empty() && steps < 4000; ++steps) {
                switch (in.Byte() % 6) {
                case 0:
                case 1: {
                    const int column = in.Byte(), row = in.Word();
                    const double value = in.Double();
                    const int format = std::int8_t(in.Byte()) % 4;
                    writer.WriteNumber(column, row, value, format);
                    written.push_back({column, row, true, value});
                    break;
                }
                case 2:
                case 3: {
                    const int column = in.Byte(), row = in.Word();
                    std::string text = in.Text(in.Byte());
                    if (in.Byte() == 0xFF) // now and then a text near the 32767-byte limit
                        text.append(32700 + in.Byte(), 'x');
                    writer.WriteString(column, row, text, std::int8_t(in.Byte()) % 4);
                    if (!text.empty())
                        written.push_back({column, row, false, 0});
                    break;
                }
                case 4:
                    writer.NextSheet();
                    break;
                case 5: {
                    qb::TCellFormat& format = writer.Formats().Add();
                    format.TextFormat = static_cast<qb::TTextFormat>(in.Byte() % 11);
                    format.TextFormatUser = in.Text(in.Byte() % 16);
                    format.WrapText = in.Byte() & 1;
                    break;
                }
                }
            }
            writer.CloseFile();
        } catch (const Exception&) {
            // A refused call; whatever was written so far must still close soundly.
            writer.CloseFile();
        }
    }

    const std::vector<std::uint8_t> file = xlstest::ReadFile(path);
    std::filesystem::remove(path);
    std::vector<std::uint8_t> stream;
    try {
        stream =
            version == qb::xls40
                ? file
                : xlstest::ReadCompoundStream(file, version == qb::xls97 ? "Workbook" : "Book");
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "container: %s\n", e.what());
        FUZZ_CHECK(false);
    }
    std::vector<xlstest::Record> records;
    try {
        records = xlstest::SplitRecords(stream);
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "records: %s\n", e.what());
        FUZZ_CHECK(false);
    }
    FUZZ_CHECK(!records.empty() && IsBof(records.front().Type) && records.back().Type == kEof);

    std::size_t next = 0;
    for (const xlstest::Record& record : records) {
        if (record.Type != kNumber && record.Type != kLabel && record.Type != kLabelSst)
            continue;
        FUZZ_CHECK(next < written.size());
        const TCell& cell = written[next++];
        FUZZ_CHECK(record.Data.size() >= 6);
        FUZZ_CHECK(xlstest::Le16(record.Data, 0) == cell.Row);
        FUZZ_CHECK(xlstest::Le16(record.Data, 2) == cell.Column);
        FUZZ_CHECK((record.Type == kNumber) == cell.IsNumber);
        if (cell.IsNumber) {
            FUZZ_CHECK(record.Data.size() == 14);
            FUZZ_CHECK(std::memcmp(record.Data.data() + 6, &cell.Number, 8) == 0);
        }
    }
    FUZZ_CHECK(next == written.size());
    return 0;
}
