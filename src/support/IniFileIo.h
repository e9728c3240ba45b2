#pragma once
// Reading and writing a whole INI file (the settings file, a filter file) on
// disk, with every failure naming the file and the problem.
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace qb {

// Far above any real settings or filter file; a larger one is damaged or no
// INI file at all, and reading it whole could exhaust memory.
constexpr std::int64_t MaxIniFileSize = 64 * 1024 * 1024;

// The file's bytes.  Throws Exception "Cannot open file \"<path>\". <reason>"
// when it is missing, no regular file (a folder, a pipe, a device) or cannot
// be opened, and "Cannot read file \"<path>\". <reason>" when reading fails or
// it is larger than MaxIniFileSize.
std::string ReadIniFileBytes(const QString& path);

// Writes `bytes` to a temporary file beside `path` and renames it over `path`,
// so a failure leaves the previous file as it was.  Throws Exception
// "Cannot write file \"<path>\". <reason>".
void WriteIniFileBytes(const QString& path, std::string_view bytes);

} // namespace qb
