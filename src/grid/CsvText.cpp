#include "grid/CsvText.h"

std::string CsvCell(std::string_view cell, char separator, char quote) {
    // A line break inside a cell would split its line in two for every
    // reader, so such a cell is wrapped as well.
    if (cell.find(separator) == std::string_view::npos &&
        cell.find_first_of("\r\n") == std::string_view::npos)
        return std::string(cell);
    std::string out;
    out.reserve(cell.size() + 2);
    out += quote;
    for (char c : cell) {
        if (c == quote)
            out += quote;
        out += c;
    }
    out += quote;
    return out;
}

std::string CsvLine(const std::vector<std::string>& cells, char separator, char quote) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += separator;
        line += CsvCell(cells[i], separator, quote);
    }
    return line;
}
