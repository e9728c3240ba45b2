#pragma once
#include "xmlrpc/RpcFault.h"
#include "xmlrpc/XrFault.h"

#include <memory>
#include <string>

class TXrStruct;
class TXrValue;

// Code of every fault the client makes up for an answer it cannot read.
constexpr int32_t kUnreadableAnswerFaultCode = 100;

// Reads "faultString" first, then "faultCode" (guarded reads, so a missing
// or mistyped member is a check error); further members are ignored.
std::unique_ptr<TXrFault> FaultFromStruct(const TXrStruct& fault);
// A fault with code 100 and the text.
std::unique_ptr<TXrFault> FaultFromMessage(std::string text);
// A TXrFault is destroyed and raised as ERpcFault; anything else, null
// included, is handed back unchanged.
std::unique_ptr<TXrValue> RaiseIfFault(std::unique_ptr<TXrValue> value);
