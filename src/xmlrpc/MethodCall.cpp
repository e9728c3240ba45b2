#include "xmlrpc/MethodCall.h"

#include "xmlrpc/BuildRequest.h"
#include "xmlrpc/DocuDataXmlParser.h"
#include "xmlrpc/XrArray.h"
#include "xmlrpc/XrFault.h"

TXrMethodCall ParseMethodCall(std::string_view text) {
    TDocuDataXMLParser parser(text);
    parser.SkipProlog();
    return parser.ReadMethodCall();
}

namespace {

std::string ResponseDocument(std::string_view open, const TXrValue& value, std::string_view close) {
    std::string text = "<?xml version=\"1.0\"?>\r\n<methodResponse>\r\n";
    text += open;
    value.AppendXml(text);
    text += close;
    text += "</methodResponse>";
    return ToUtf8(std::move(text));
}

} // namespace

std::string BuildResponse(const TXrValue& result) {
    return ResponseDocument("    <params>\r\n<param><value>\r\n", result,
                            "</value></param>\r\n    </params>\r\n");
}

std::string BuildFaultResponse(int32_t faultCode, std::string_view faultString) {
    return ResponseDocument("<fault><value>\r\n", TXrFault(faultCode, std::string(faultString)),
                            "</value></fault>\r\n");
}
