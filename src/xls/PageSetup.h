#pragma once
// Print settings written into every worksheet.
#include "xls/XlsTypes.h"

#include <cstdint>

namespace qb {

class TPageSetup {
public:
    std::uint16_t Copies = 0;
    double FooterMargin = 0;
    double HeaderMargin = 0;
    TPageSetupOptions Options{psoPortrait};
    std::uint16_t ScalingFactor = 46;
    std::uint16_t StartingPage = 1;
    // Inches; a negative margin is not written.
    double MarginLeft = -1;
    double MarginRight = -1;
    double MarginTop = -1;
    double MarginBottom = -1;
};

} // namespace qb
