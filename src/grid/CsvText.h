#pragma once
// Separated-text lines of the grid's CSV export (Windows-1252 texts).
#include <string>
#include <string_view>
#include <vector>

// A cell holding the separator (or a line break) is wrapped in `quote` with
// each quote inside doubled; any other cell stays as it is, quotes and all.
std::string CsvCell(std::string_view cell, char separator, char quote);
// The cells joined by the separator, without a line end.
std::string CsvLine(const std::vector<std::string>& cells, char separator, char quote);
