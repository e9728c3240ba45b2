#include "xmlrpc/XrFault.h"

#include "xmlrpc/XrStruct.h"

void TXrFault::AppendXml(std::string& out) const {
    TXrStruct fault;
    fault.AddInteger("faultCode", FaultCode);
    fault.AddString("faultString", FaultString);
    fault.AppendXml(out);
}
