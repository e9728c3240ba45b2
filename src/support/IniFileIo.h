#pragma once
// Reading and writing a whole INI file (the settings file, a filter file) on
// disk, with every failure naming the file and the problem.
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace qb {

// Far above any real settings or filter file (a filter of 4,000 symbols
// takes 70 KB); a larger one is damaged or no INI file at all, and reading it
// whole, then filling lists from it, could exhaust memory.
constexpr std::int64_t MaxIniFileSize = 16 * 1024 * 1024;

// What a path may name besides a regular file.
enum class TIniSource {
    RegularFile, // a pipe or a device is refused: it could block or never end
    AnyFile,     // a pipe or a device is read to its end (a script's "<(...)")
};

// The file's bytes.  Throws Exception "Cannot open file \"<path>\". <reason>"
// when it is missing, a folder, refused by `source` or cannot be opened, and
// "Cannot read file \"<path>\". <reason>" when reading fails or it holds
// more than MaxIniFileSize bytes.
std::string ReadIniFileBytes(const QString& path, TIniSource source = TIniSource::RegularFile);

// Writes `bytes` to a temporary file beside `path` and renames it over `path`,
// so a failure leaves the previous file as it was.  Throws Exception
// "Cannot write file \"<path>\". <reason>".
void WriteIniFileBytes(const QString& path, std::string_view bytes);

} // namespace qb
