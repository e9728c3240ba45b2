#pragma once
// Export of the results table to a spreadsheet file (xls97, one worksheet
// "Sheet1").  Row 0 holds the header captions and is written like the others.
#include <functional>
#include <string>
#include <vector>

namespace qb {

using TSaveProgress = std::function<void(int row, int rowCount)>;

// Writes every non-empty cell: a text TryParseNumber accepts as a number cell,
// any other as a text cell.  Progress is reported with (0, n), (r, n) before
// each row r, and (n, n) after success.  Tables with more rows or columns than
// a worksheet holds are refused before the file is touched.  Errors of the
// writer and the file system reach the caller; the file is closed first.
void SaveAsExcel(const std::vector<std::vector<std::string>>& rows, const std::string& fileName,
                 const TSaveProgress& onSaveProgress = {});

// Reads a plain decimal number: optional sign, digits with at most one ".",
// optional exponent; spaces and control characters around it are ignored.
// The decimal separator is "." whatever the locale.
bool TryParseNumber(const std::string& text, double& value);

} // namespace qb
