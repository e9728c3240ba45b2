#pragma once
// The workbook writer as callers use it.
#include "xls/CustomXLSWrite.h"

namespace qb {

class TXLSWrite : public TCustomXLSWrite {
public:
    using TCustomXLSWrite::TCustomXLSWrite;
};

} // namespace qb
