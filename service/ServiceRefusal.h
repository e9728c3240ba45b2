#pragma once
// A request the service refuses: answered with "Error" true and this code and
// message in a struct result, or as a fault where the result is no struct.
#include "support/Exception.h"

enum TRefusalCode {
    rcBadSession = 1,
    rcUnknownColumn = 2,
    rcMalformedCriterion = 3,
    rcTooManyValues = 4,
    rcUnknownSite = 5,
    rcBadParameters = 6,
    rcBadCredentials = 7,
    rcUnknownMethod = 8,
    rcInternal = 9,
};

class EServiceRefusal : public Exception {
public:
    EServiceRefusal(int code, std::string message) : Exception(std::move(message)), FCode(code) {}
    int Code() const noexcept { return FCode; }

private:
    int FCode;
};
