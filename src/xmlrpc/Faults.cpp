#include "xmlrpc/Faults.h"

#include "xmlrpc/XrStruct.h"

std::unique_ptr<TXrFault> FaultFromStruct(const TXrStruct& fault) {
    std::string text = fault.GetString("faultString");
    int32_t code = fault.GetInteger("faultCode");
    return std::make_unique<TXrFault>(code, std::move(text));
}

std::unique_ptr<TXrFault> FaultFromMessage(std::string text) {
    return std::make_unique<TXrFault>(kUnreadableAnswerFaultCode, std::move(text));
}

std::unique_ptr<TXrValue> RaiseIfFault(std::unique_ptr<TXrValue> value) {
    auto* fault = dynamic_cast<TXrFault*>(value.get());
    if (!fault)
        return value;
    int32_t code = fault->FaultCode;
    std::string text = std::move(fault->FaultString);
    value.reset();
    throw ERpcFault(code, std::move(text));
}
