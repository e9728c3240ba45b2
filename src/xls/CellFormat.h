#pragma once
// Cell formats a caller may refer to by index when writing cells.
#include "xls/ExcelFont.h"
#include "xls/XlsTypes.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace qb {

class TCellFormat {
public:
    explicit TCellFormat(std::size_t index) : Name("Format " + std::to_string(index)) {}

    std::string Name;
    TExcelFont Font;
    TTextFormat TextFormat = tfGeneral;
    std::string TextFormatUser; // used with tfUser
    bool WrapText = false;
    TExcelColor CellColor = xcNoColor;
    TCellProtections Protection;
    TCellHorizAlignment HorizAlignment = chaGeneral;
    TCellVertAlignment VertAlignment = cvaTop;
    TCellBorders Border;
};

// Items keep their address while the collection grows.
class TCellFormats {
public:
    TCellFormat& Add();
    std::size_t Count() const { return FItems.size(); }
    TCellFormat& Items(std::size_t index) { return *FItems.at(index); }
    const TCellFormat& Items(std::size_t index) const { return *FItems.at(index); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TCellFormat>> FItems;
};

} // namespace qb
