#pragma once
#include <memory>
#include <string_view>

class TXrValue;

// Nesting of arrays and structs deeper than this is refused as unreadable
// rather than risking the stack on a hostile answer.
constexpr int kMaxValueDepth = 256;

// A methodResponse body (UTF-8, or raw bytes without an XML declaration) into
// its single parameter value, owned by the caller, or into a TXrFault: the
// service's fault, or code 100 with the position when the document cannot be
// read.  Conversion errors of scalar texts and check errors pass unchanged.
std::unique_ptr<TXrValue> ParseResponse(std::string_view body);
