#include "xls/CellFormat.h"

namespace qb {

TCellFormat& TCellFormats::Add() {
    FItems.push_back(std::make_unique<TCellFormat>(FItems.size()));
    return *FItems.back();
}

} // namespace qb
