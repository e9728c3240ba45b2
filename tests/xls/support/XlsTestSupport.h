#pragma once
// Helpers of the workbook tests: temporary files, the independent readers run
// as subprocesses, and a small compound-document reader to get at the records.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace xlstest {

// A fresh directory removed at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string File(const std::string& name) const { return (FPath / name).string(); }

private:
    std::filesystem::path FPath;
};

// Runs tests/xls/xls_dump.py with the system python; returns its output lines.
// A failing reader fails the calling test (the output is kept for the message).
std::vector<std::string> Dump(const std::string& mode, const std::string& file, bool* ok = nullptr);

std::vector<std::uint8_t> ReadFile(const std::string& file);

// The named stream of a compound document, read through its allocation tables
// (the DIFAT chain included); throws std::runtime_error on any inconsistency.
std::vector<std::uint8_t> ReadCompoundStream(const std::vector<std::uint8_t>& doc,
                                             const std::string& name);

struct Record {
    std::uint16_t Type;
    std::vector<std::uint8_t> Data;
    std::uint64_t Offset; // of the header in the stream
};
std::vector<Record> SplitRecords(const std::vector<std::uint8_t>& stream);

std::string Hex(const std::vector<std::uint8_t>& bytes);
std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t at);
std::uint16_t Le16(const std::vector<std::uint8_t>& bytes, std::size_t at);

} // namespace xlstest
