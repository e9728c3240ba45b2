#include "XrDump.h"

#include "xmlrpc/XrValues.h"

#include <cstdio>
#include <sstream>

std::string XrDump(const TXrValue* value) {
    if (!value)
        return "null";
    if (auto* v = dynamic_cast<const TXrString*>(value))
        return "s\"" + v->Value + "\"";
    if (auto* v = dynamic_cast<const TXrInt4*>(value))
        return "i" + std::to_string(v->Value);
    if (auto* v = dynamic_cast<const TXrBoolean*>(value))
        return v->Value ? "b1" : "b0";
    if (auto* v = dynamic_cast<const TXrDouble*>(value)) {
        std::ostringstream out;
        out.precision(17);
        out << "d" << v->Value;
        return out.str();
    }
    if (auto* v = dynamic_cast<const TXrDateTime*>(value))
        return "t" + std::to_string(v->Date) + "/" + std::to_string(v->Time);
    if (auto* v = dynamic_cast<const TXrBinary*>(value)) {
        std::string out = "x";
        char hex[3];
        for (unsigned char c : v->Data) {
            std::snprintf(hex, sizeof hex, "%02x", c);
            out += hex;
        }
        return out;
    }
    if (auto* v = dynamic_cast<const TXrFault*>(value))
        return "fault(" + std::to_string(v->FaultCode) + ",\"" + v->FaultString + "\")";
    if (auto* v = dynamic_cast<const TXrArray*>(value)) {
        std::string out = "[";
        for (int i = 1; i <= v->Count(); ++i)
            out += (i > 1 ? "," : "") + XrDump(v->Item(i));
        return out + "]";
    }
    if (auto* v = dynamic_cast<const TXrStruct*>(value)) {
        std::string out = "{";
        for (int i = 1; i <= v->Count(); ++i)
            out += (i > 1 ? "," : "") + v->NameAt(i) + ":" + XrDump(v->Find(v->NameAt(i)));
        return out + "}";
    }
    return "?";
}
