#pragma once
// Failures of the workbook writer and of its file.
#include "support/Exception.h"

namespace qb {

class EXlsError : public Exception {
public:
    using Exception::Exception;
};

} // namespace qb
