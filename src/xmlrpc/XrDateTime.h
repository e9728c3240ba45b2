#pragma once
#include "xmlrpc/XrSimple.h"

#include <cstdint>
#include <memory>
#include <string_view>

// Date is a day number (support/DayNumbers.h, may be -1); Time is seconds
// since midnight and never -1: the constructors store 0 in its place.
class TXrDateTime : public TXrSimple {
public:
    TXrDateTime() : TXrDateTime(-1, 0) {}
    TXrDateTime(int32_t dayNumber, int32_t seconds)
        : Date(dayNumber), Time(seconds == -1 ? 0 : seconds) {}
    // ISO 8601 calendar, week and ordinal dates with an optional time.
    static std::unique_ptr<TXrDateTime> FromText(std::string_view text);
    void AppendXml(std::string& out) const override;

    int32_t Date;
    int32_t Time;
};

// The ISO 8601 reading behind FromText, before Time -1 becomes 0.
struct TIsoDateTime {
    int32_t Date = -1;
    int32_t Time = -1;
};
TIsoDateTime ReadIso8601(std::string_view text);
