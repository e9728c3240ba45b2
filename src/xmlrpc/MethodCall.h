#pragma once
// The server side of the protocol, for the reference stock service: reading
// a methodCall and writing a methodResponse that ParseResponse accepts.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TXrArray;
class TXrValue;

struct TXrMethodCall {
    std::string MethodName;
    std::unique_ptr<TXrArray> Params; // never null; empty without params
};

// Same tokenizer and value grammar as ParseResponse.  A document that breaks
// the grammar raises EBadPayload with the position (the service answers it
// with fault code 100); scalar conversion and check errors pass unchanged.
TXrMethodCall ParseMethodCall(std::string_view text);

// methodResponse documents in UTF-8.
std::string BuildResponse(const TXrValue& result);
std::string BuildFaultResponse(int32_t faultCode, std::string_view faultString);
