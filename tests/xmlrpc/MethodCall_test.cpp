#include "support/XrDump.h"
#include "xmlrpc/BadPayload.h"
#include "xmlrpc/BuildRequest.h"
#include "xmlrpc/MethodCall.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

namespace {

std::string Read(const std::string& text) {
    TXrMethodCall call = ParseMethodCall(text);
    return call.MethodName + XrDump(call.Params.get());
}

TEST(ParseMethodCall, ReadsOurRequestsAndOtherClientsSpellings) {
    TXrArray params;
    params.AddString("token \xE9");
    TXrStruct& s = params.AddStruct();
    s.AddDateTime("TradeDate", 147558, 0);
    s.AddArray("Columns").AddStruct().AddInteger("FilterType", 1);
    const std::pair<std::string, std::string> cases[] = {
        {BuildRequest("StockService.FindStocks", params),
         "StockService.FindStocks[s\"token "
         "\xE9\",{TradeDate:t147558/0,Columns:[{FilterType:i1}]}]"},
        {"<?xml version='1.0'?>\n<methodCall>\n<methodName>StockService.OpenSession"
         "</methodName>\n<params>\n<param>\n<value><string>u</string></value>\n</param>\n"
         "<param>\n<value><int>5</int></value>\n</param>\n</params>\n</methodCall>\n",
         "StockService.OpenSession[s\"u\",i5]"},
        {"<methodCall><methodName>a</methodName><params/></methodCall>", "a[]"},
        {"<methodCall><methodName>a</methodName></methodCall>", "a[]"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Read(text), expected) << text;
}

TEST(ParseMethodCall, BadDocumentsNameThePosition) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "at line 1 and column 1, tag \"\": expected start tag."},
        {"<methodCall><params/></methodCall>",
         "at line 1 and column 13, tag \"params\": expected tag \"METHODNAME\"."},
        {"<methodCall><methodName>a</methodName><params><value>1</value></params>"
         "</methodCall>",
         "at line 1 and column 47, tag \"value\": expected tag \"PARAM\"."},
        {"<methodCall><methodName>a</methodName><params><param><value>1",
         "at line 1 and column 62, tag \"\": unexpected end of payload."},
    };
    for (auto [text, message] : cases) {
        try {
            ParseMethodCall(text);
            ADD_FAILURE() << text;
        } catch (const EBadPayload& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
}

} // namespace
