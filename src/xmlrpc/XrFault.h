#pragma once
// A fault travels through the client as a value until RaiseIfFault turns it
// into ERpcFault (xmlrpc/Faults.h).
#include "xmlrpc/XrValue.h"

#include <cstdint>
#include <string>

class TXrFault : public TXrValue {
public:
    TXrFault(int32_t code, std::string text) : FaultCode(code), FaultString(std::move(text)) {}
    // A struct with "faultCode" (i4) and "faultString" (string), in that order.
    void AppendXml(std::string& out) const override;

    int32_t FaultCode;
    std::string FaultString;
};
