#include "xmlrpc/ParseResponse.h"

#include "xmlrpc/BadPayload.h"
#include "xmlrpc/DocuDataXmlParser.h"
#include "xmlrpc/Faults.h"

std::unique_ptr<TXrValue> ParseResponse(std::string_view body) {
    try {
        TDocuDataXMLParser parser(body);
        parser.SkipProlog();
        return parser.ReadMethodResponse();
    } catch (const EBadPayload& e) {
        return FaultFromMessage(e.Message());
    }
}
