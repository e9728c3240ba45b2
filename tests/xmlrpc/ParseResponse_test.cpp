#include "support/Exception.h"
#include "support/XrDump.h"
#include "xmlrpc/ConvertError.h"
#include "xmlrpc/MethodCall.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

namespace {

const std::string kDecl = "<?xml version=\"1.0\"?>";

// A response whose single parameter is a value element holding `inner`.
std::string Response(const std::string& inner) {
    return kDecl + "<methodResponse><params><param><value>" + inner +
           "</value></param></params></methodResponse>";
}

std::string Parse(const std::string& body) {
    return XrDump(ParseResponse(body).get());
}

std::string Fault100(const std::string& message) {
    return "fault(100,\"" + message + "\")";
}

struct TCase {
    const char* Label;
    std::string Body;
    std::string Expected;
};

TEST(ParseResponse, ReadsTheGrammarStrictly) {
    const TCase cases[] = {
        {"empty body", "", Fault100("at line 1 and column 1, tag \"\": expected start tag.")},
        {"blanks only", "  \r\n ",
         Fault100("at line 2 and column 2, tag \"\": expected start tag.")},
        {"html page", "<html><body>Error 500</body></html>",
         Fault100("at line 1 and column 1, tag \"html\": expected tag \"METHODRESPONSE\".")},
        {"doctype first", "<!DOCTYPE html>\r\n<html></html>",
         Fault100("at line 1 and column 1, tag \"html\": expected start tag.")},
        {"value without type keeps blanks", Response("  abc "), "s\"  abc \""},
        {"empty value", Response(""), "s\"\""},
        {"value of blanks and comments", Response(" <!-- c --> \r\n"), "s\"\""},
        {"string of blanks", Response("<string>  </string>"), "s\"\""},
        {"empty-element string", Response("<string/>"), "s\"\""},
        {"upper-case names",
         "<METHODRESPONSE><PARAMS><PARAM><VALUE><I4>7</I4></VALUE></PARAM></PARAMS>"
         "</METHODRESPONSE>",
         "i7"},
        {"int as i4", Response("<int>7</int>"), "i7"},
        {"names trimmed", Response("<i4 >7</i4 >"), "i7"},
        {"references resolved once", Response("<string>&amp;amp;&lt;&#65;&#x42;</string>"),
         "s\"&amp;<AB\""},
        {"unknown entity stays text", Response("<string>&lol;&#xZZ;&</string>"),
         "s\"&lol;&#xZZ;&\""},
        {"empty data", Response("<array><data></data></array>"), "[]"},
        {"empty-element data", Response("<array><data/></array>"), "[]"},
        {"empty-element array", Response("<array/>"),
         Fault100("at line 1 and column 60, tag \"array\": expected start tag.")},
        {"empty-element struct", Response("<struct/>"),
         Fault100("at line 1 and column 60, tag \"struct\": expected start tag.")},
        {"member value first",
         Response("<struct><member><value>1</value><name>a</name></member></struct>"),
         Fault100("at line 1 and column 76, tag \"value\": expected tag \"NAME\".")},
        {"two params",
         kDecl + "<methodResponse><params><param><value>1</value></param><param><value>2"
                 "</value></param></params></methodResponse>",
         Fault100("at line 1 and column 77, tag \"param\": expected end tag.")},
        {"params without param", kDecl + "<methodResponse><params></params></methodResponse>",
         Fault100("at line 1 and column 46, tag \"params\": expected start tag.")},
        {"empty-element params", kDecl + "<methodResponse><params/></methodResponse>",
         Fault100("at line 1 and column 38, tag \"params\": expected start tag.")},
        {"other element", kDecl + "<methodResponse><result/></methodResponse>",
         Fault100("at line 1 and column 38, tag \"result\": expected start tag.")},
        {"other start tag", kDecl + "<methodResponse><result></result></methodResponse>",
         Fault100("at line 1 and column 38, tag \"result\": expected a PARAMS or FAULT tag.")},
        {"attributes", Response("<i4 kind=\"x\">1</i4>"),
         Fault100("at line 1 and column 60, tag \"i4\": No attributes expected.")},
        {"unknown type", Response("<long>5</long>"),
         Fault100("at line 1 and column 60, tag \"long\": unknown value type.")},
        {"cdata as value", Response("<![CDATA[x]]>"),
         Fault100("at line 1 and column 60, tag \"\": expected start tag, empty tag, or content.")},
        {"cdata in string", Response("<string><![CDATA[x]]></string>"),
         Fault100("at line 1 and column 68, tag \"\": expecting content inside this element.")},
        {"text split by a comment", Response("<string>a<!--c-->b</string>"),
         Fault100("at line 1 and column 77, tag \"\": expected end tag.")},
        {"value holding a type and text", Response("<i4>1</i4>x"),
         Fault100("at line 1 and column 70, tag \"\": expected end tag.")},
        {"lines counted over CR, LF and CR LF",
         "<?xml version=\"1.0\"?>\r\n<methodResponse>\n<params>\r<param>\r\n  <value><x/>",
         Fault100("at line 5 and column 10, tag \"x\": unknown value type.")},
        {"truncated", Response("<string>abc").substr(0, 75),
         Fault100("at line 1 and column 71, tag \"\": unexpected end of payload.")},
        {"zero byte ends the text", Response(std::string("<string>a\0b</string>", 20)),
         Fault100("at line 1 and column 69, tag \"\": unexpected end of payload.")},
        {"trailing text ignored", Response("1") + "<garbage", "s\"1\""},
        {"comments and blanks everywhere",
         "<!-- a -->\r\n" + kDecl +
             "\r\n<methodResponse> <!-- b -->\r\n <params>\r\n"
             "  <param> <value> <i4>3</i4> <!-- c --> </value> </param>\r\n </params>\r\n"
             "</methodResponse>",
         "i3"},
        {"all types nested",
         Response("<struct><member><name>a</name><value><array><data><value><boolean>1"
                  "</boolean></value><value><double>-1.25</double></value><value>"
                  "<dateTime.iso8601>20040101T12:34:56</dateTime.iso8601></value><value>"
                  "<base64>AP8Q\r\nIA==</base64></value></data></array></value></member>"
                  "<member><name>b &amp; c</name><value><struct></struct></value></member>"
                  "</struct>"),
         "{a:[b1,d-1.25,t147558/45296,x00ff1020],b & c:{}}"},
        {"service fault",
         kDecl + "<methodResponse><fault><value><struct><member><name>faultCode</name>"
                 "<value><int>4</int></value></member><member><name>faultString</name>"
                 "<value><string>Bad symbol</string></value></member></struct></value>"
                 "</fault></methodResponse>",
         "fault(4,\"Bad symbol\")"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parse(c.Body), c.Expected) << c.Label;
}

TEST(ParseResponse, DecodesUtf8OnlyWhenTheDeclarationAllowsIt) {
    const TCase cases[] = {
        {"utf-8 by default", Response("<string>\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD</string>"),
         "s\"\xE9\x80\xBF\""},
        {"character references", Response("<string>&#233;&#8364;&#x4E2D;&#x81;</string>"),
         "s\"\xE9\x80\xBF\x81\""},
        {"malformed utf-8", Response("<string>a\xC3z\xFF</string>"), "s\"a\xBFz\xBF\""},
        {"declared utf-8",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?><methodResponse><params><param><value>"
         "\xC3\xA9</value></param></params></methodResponse>",
         "s\"\xE9\""},
        {"declared latin-1",
         "<?xml version=\"1.0\" encoding='ISO-8859-1'?><methodResponse><params><param><value>"
         "\xE9</value></param></params></methodResponse>",
         "s\"\xE9\""},
        {"no declaration: bytes unchanged",
         "<methodResponse><params><param><value>\xC3\xA9</value></param></params>"
         "</methodResponse>",
         "s\"\xC3\xA9\""},
        {"declaration after a comment",
         "<!-- c -->" + kDecl +
             "<methodResponse><params><param><value>\xC3\xA9</value></param>"
             "</params></methodResponse>",
         "s\"\xE9\""},
        {"byte order mark selects utf-8",
         "\xEF\xBB\xBF<methodResponse><params><param><value>\xC3\xA9</value></param></params>"
         "</methodResponse>",
         "s\"\xE9\""},
        {"names decoded in messages", Response("<\xC3\xA9/>"),
         Fault100("at line 1 and column 60, tag \"\xE9\": unknown value type.")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parse(c.Body), c.Expected) << c.Label;
}

// Errors that are not about the document's shape reach the caller as they are.
TEST(ParseResponse, ScalarAndStructureErrorsPassUnchanged) {
    const std::pair<std::string, std::string> checkErrors[] = {
        {Response("<boolean>2</boolean>"), ""},
        {Response("<double>1e5</double>"), ""},
        {Response("<dateTime.iso8601>2004-W54-1</dateTime.iso8601>"), ""},
        {Response("<struct><member><name>a</name><value>1</value></member><member><name>a"
                  "</name><value>2</value></member></struct>"),
         ""},
        {kDecl + "<methodResponse><fault><value><struct></struct></value></fault>"
                 "</methodResponse>",
         "Key faultString not found in Struct.\r\n\r\n"},
        {kDecl + "<methodResponse><fault><value><struct><member><name>faultString</name>"
                 "<value>x</value></member><member><name>faultCode</name><value>4</value>"
                 "</member></struct></value></fault></methodResponse>",
         "Key faultCode not of type integer.\r\n\r\n"},
    };
    for (const auto& [body, prefix] : checkErrors) {
        try {
            ParseResponse(body);
            ADD_FAILURE() << body;
        } catch (const EConvertError&) {
            ADD_FAILURE() << "conversion error for " << body;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message().rfind(prefix + "In module ", 0), 0u) << e.Message();
        }
    }
    EXPECT_THROW(ParseResponse(Response("<i4> 7</i4>")), EConvertError);
    EXPECT_THROW(ParseResponse(Response("<double></double>")), EConvertError);
    EXPECT_THROW(ParseResponse(kDecl + "<methodResponse><fault><value>x</value></fault>"
                                       "</methodResponse>"),
                 EXrTypeError);
}

TEST(ParseResponse, EveryTruncatedDocumentIsAFault) {
    std::string full = BuildResponse(TXrStruct());
    {
        TXrStruct s;
        s.AddString("text", "caf\xE9 & co");
        s.AddInteger("n", -12);
        s.AddDateTime("d", 147558, 1);
        s.AddArray("rows").AddArray().AddString("x");
        full = BuildResponse(s);
    }
    ASSERT_EQ(Parse(full), "{text:s\"caf\xE9 & co\",n:i-12,d:t147558/1,rows:[[s\"x\"]]}");
    for (size_t n = 0; n < full.size(); ++n) {
        auto value = ParseResponse(full.substr(0, n));
        auto* fault = dynamic_cast<TXrFault*>(value.get());
        ASSERT_TRUE(fault) << n << ": " << XrDump(value.get());
        EXPECT_EQ(fault->FaultCode, 100);
    }
}

std::string Nested(int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<value><array><data>";
        close += "</data></array></value>";
    }
    return kDecl + "<methodResponse><params><param>" + open + close +
           "</param></params></methodResponse>";
}

TEST(ParseResponse, HostileNestingIsRefusedWithAPosition) {
    auto deepest = ParseResponse(Nested(kMaxValueDepth));
    EXPECT_NE(dynamic_cast<TXrArray*>(deepest.get()), nullptr);
    std::string fault = Parse(Nested(100000));
    int column = 53 + 20 * kMaxValueDepth + 7;
    EXPECT_EQ(fault, Fault100("at line 1 and column " + std::to_string(column) +
                              ", tag \"array\": values nested too deeply."));
}

TEST(ParseResponse, DocumentTypeDeclarationsAreNeverExpanded) {
    std::string laughs = "<!DOCTYPE methodResponse [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'j'; ++c) {
        std::string ref = std::string("&") + static_cast<char>(c - 1) + ";";
        laughs += std::string("<!ENTITY ") + c + " \"" + ref + ref + ref + ref + ref + "\">";
    }
    laughs += "]>";
    const TCase cases[] = {
        {"entity expansion", kDecl + laughs + "<methodResponse>",
         Fault100("at line 1 and column 22, tag \"methodResponse\": expected start tag.")},
        {"external entity",
         kDecl + "<!DOCTYPE m [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><methodResponse>",
         Fault100("at line 1 and column 22, tag \"m\": expected start tag.")},
        {"inside a value", Response("<!DOCTYPE x>"),
         Fault100("at line 1 and column 60, tag \"x\": expected start tag, empty tag, or "
                  "content.")},
        {"reference to an undeclared entity", Response("<string>&j;</string>"), "s\"&j;\""},
        {"unterminated declaration", kDecl + "<!DOCTYPE m [ <!ENTITY a \"]>\"",
         Fault100("at line 1 and column 22, tag \"\": expected start tag.")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parse(c.Body), c.Expected) << c.Label;
}

TEST(ServerSide, ResponsesWeWriteReadBackUnchanged) {
    TXrStruct s;
    std::string every;
    for (int c = 1; c < 256; ++c)
        if (c >= 32 || c == '\t' || c == '\n' || c == '\r')
            every += static_cast<char>(c);
    s.AddString("every byte", every);
    s.AddString("  padded  ", "  x ");
    s.AddDouble("pi", 3.141592653589793);
    s.AddDouble("tiny", -1e-300);
    s.AddBoolean("ok", false);
    s.Add("bin", std::make_unique<TXrBinary>(std::string("\0\x01\x02\x03\xFF", 5)));
    s.AddArray("empty");
    s.AddDateTime("nodate", -1, 0);
    std::string expected = XrDump(&s);
    EXPECT_EQ(Parse(BuildResponse(s)), expected);
    EXPECT_EQ(Parse(BuildFaultResponse(7, "Bad \xE9 <symbol>")), "fault(7,\"Bad \xE9 <symbol>\")");
}

} // namespace
