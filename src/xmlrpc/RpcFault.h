#pragma once
#include "support/Exception.h"

#include <cstdint>
#include <string>

// A fault of a remote call as an error: the message is the fault's text,
// unchanged, with no location appended.
class ERpcFault : public Exception {
public:
    ERpcFault(int32_t code, std::string text) : Exception(std::move(text)), FFaultCode(code) {}
    int32_t FaultCode() const noexcept { return FFaultCode; }

private:
    int32_t FFaultCode;
};
