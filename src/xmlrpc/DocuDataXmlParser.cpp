#include "xmlrpc/DocuDataXmlParser.h"

#include "xmlrpc/BadPayload.h"
#include "xmlrpc/Faults.h"
#include "xmlrpc/MethodCall.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/XrArray.h"
#include "xmlrpc/XrBinary.h"
#include "xmlrpc/XrBoolean.h"
#include "xmlrpc/XrDateTime.h"
#include "xmlrpc/XrDouble.h"
#include "xmlrpc/XrErrors.h"
#include "xmlrpc/XrInt4.h"
#include "xmlrpc/XrString.h"
#include "xmlrpc/XrStruct.h"

#include <cstdio>

namespace {

using K = TXmlPartKind;

std::string_view Trimmed(std::string_view name) {
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    return name;
}

class TDepthGuard {
public:
    explicit TDepthGuard(int& depth) : FDepth(depth) {}
    ~TDepthGuard() { --FDepth; }
    TDepthGuard(const TDepthGuard&) = delete;
    TDepthGuard& operator=(const TDepthGuard&) = delete;

private:
    int& FDepth;
};

} // namespace

void TDocuDataXMLParser::Fail(std::string_view message) {
    TTextPosition pos = PositionOf(PartStart());
    std::string name = DisplayName();
    std::string text = "at line " + std::to_string(pos.Line) + " and column " +
                       std::to_string(pos.Column) + ", tag \"" + name + "\": ";
    text += message;
    text += '.';
    throw EBadPayload(std::move(text));
}

bool TDocuDataXMLParser::NameIs(std::string_view upperName) const {
    std::string_view name = Trimmed(Name());
    if (name.size() != upperName.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
        if (c != upperName[i])
            return false;
    }
    return true;
}

std::string TDocuDataXMLParser::UpperName() const {
    std::string name(Trimmed(Name()));
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return name;
}

void TDocuDataXMLParser::ExpectName(std::string_view upperName) {
    if (!NameIs(upperName))
        Fail("expected tag \"" + std::string(upperName) + "\"");
    FailAt(AttributeCount() > 0, "No attributes expected");
}

void TDocuDataXMLParser::ExpectStartTag(std::string_view upperName) {
    FailAt(Kind() != K::StartTag, "expected start tag");
    ExpectName(upperName);
}

void TDocuDataXMLParser::ExpectStartOrEmptyTag(std::string_view upperName) {
    FailAt(Kind() != K::StartTag && Kind() != K::EmptyTag, "expected start tag or empty tag");
    ExpectName(upperName);
}

void TDocuDataXMLParser::ExpectEndTag(std::string_view upperName) {
    FailAt(Kind() != K::EndTag, "expected end tag");
    ExpectName(upperName);
}

void TDocuDataXMLParser::NextSignificant() {
    do {
        FailAt(!Scan(), "unexpected end of payload");
    } while (Kind() == K::Comment || IsBlankContent());
}

void TDocuDataXMLParser::SkipProlog() {
    while (Kind() == K::None || Kind() == K::XmlDeclaration || Kind() == K::Comment ||
           IsBlankContent()) {
        if (!Scan())
            return;
    }
}

void TDocuDataXMLParser::EnterContainer() {
    FailAt(FDepth >= kMaxValueDepth, "values nested too deeply");
    ++FDepth;
}

std::string TDocuDataXMLParser::ReadSimpleElement(std::string_view upperName) {
    ExpectStartOrEmptyTag(upperName);
    if (Kind() == K::EmptyTag)
        return {};
    NextSignificant();
    if (Kind() == K::EndTag && NameIs(upperName))
        return {};
    FailAt(Kind() != K::Content, "expecting content inside this element");
    std::string text(Text());
    NextSignificant();
    ExpectEndTag(upperName);
    return text;
}

std::unique_ptr<TXrValue> TDocuDataXMLParser::ReadValue() {
    ExpectStartTag("VALUE");
    NextSignificant();
    std::unique_ptr<TXrValue> value;
    switch (Kind()) {
    case K::StartTag:
    case K::EmptyTag: {
        const std::string type = UpperName();
        if (type == "STRUCT" || type == "ARRAY") {
            FailAt(Kind() != K::StartTag, "expected start tag");
            EnterContainer();
            TDepthGuard guard(FDepth);
            if (type == "STRUCT") {
                auto members = std::make_unique<TXrStruct>();
                ReadStruct(*members);
                value = std::move(members);
            } else {
                auto items = std::make_unique<TXrArray>();
                ReadArray(*items);
                value = std::move(items);
            }
        } else if (type == "STRING") {
            value = std::make_unique<TXrString>(ReadSimpleElement(type));
        } else if (type == "I4" || type == "INT") {
            value = TXrInt4::FromText(ReadSimpleElement(type));
        } else if (type == "BOOLEAN") {
            value = TXrBoolean::FromText(ReadSimpleElement(type));
        } else if (type == "DOUBLE") {
            value = TXrDouble::FromText(ReadSimpleElement(type));
        } else if (type == "DATETIME.ISO8601") {
            value = TXrDateTime::FromText(ReadSimpleElement(type));
        } else if (type == "BASE64") {
            value = TXrBinary::FromText(ReadSimpleElement(type));
        } else {
            Fail("unknown value type");
        }
        NextSignificant();
        ExpectEndTag("VALUE");
        return value;
    }
    case K::Content:
        value = std::make_unique<TXrString>(std::string(Text()));
        NextSignificant();
        ExpectEndTag("VALUE");
        return value;
    case K::EndTag:
        ExpectEndTag("VALUE");
        return std::make_unique<TXrString>();
    default:
        Fail("expected start tag, empty tag, or content");
        return nullptr;
    }
}

void TDocuDataXMLParser::ReadStruct(TXrStruct& target) {
    NextSignificant();
    while (Kind() == K::StartTag) {
        std::string name;
        std::unique_ptr<TXrValue> value;
        ReadMember(name, value);
        target.Add(std::move(name), std::move(value));
        NextSignificant();
    }
    ExpectEndTag("STRUCT");
}

void TDocuDataXMLParser::ReadMember(std::string& name, std::unique_ptr<TXrValue>& value) {
    ExpectStartTag("MEMBER");
    NextSignificant();
    name = ReadSimpleElement("NAME");
    NextSignificant();
    value = ReadValue();
    NextSignificant();
    ExpectEndTag("MEMBER");
}

void TDocuDataXMLParser::ReadArray(TXrArray& target) {
    NextSignificant();
    ExpectStartOrEmptyTag("DATA");
    if (Kind() == K::StartTag) {
        NextSignificant();
        while (Kind() == K::StartTag) {
            target.Add(ReadValue());
            NextSignificant();
        }
        ExpectEndTag("DATA");
    }
    NextSignificant();
    ExpectEndTag("ARRAY");
}

std::unique_ptr<TXrValue> TDocuDataXMLParser::ReadParams() {
    ExpectStartTag("PARAMS");
    NextSignificant();
    ExpectStartTag("PARAM");
    NextSignificant();
    std::unique_ptr<TXrValue> result = ReadValue();
    NextSignificant();
    ExpectEndTag("PARAM");
    NextSignificant();
    ExpectEndTag("PARAMS");
    return result;
}

std::unique_ptr<TXrValue> TDocuDataXMLParser::ReadMethodResponse() {
    ExpectStartTag("METHODRESPONSE");
    NextSignificant();
    FailAt(Kind() != K::StartTag, "expected start tag");
    std::unique_ptr<TXrValue> result;
    if (NameIs("PARAMS")) {
        result = ReadParams();
    } else if (NameIs("FAULT")) {
        ExpectStartTag("FAULT");
        NextSignificant();
        std::unique_ptr<TXrValue> value = ReadValue();
        auto* fault = dynamic_cast<TXrStruct*>(value.get());
        if (!fault)
            throw EXrTypeError("The fault of a response is not a struct.");
        result = FaultFromStruct(*fault);
        value.reset();
        NextSignificant();
        ExpectEndTag("FAULT");
    } else {
        Fail("expected a PARAMS or FAULT tag");
    }
    NextSignificant();
    ExpectEndTag("METHODRESPONSE");
    return result;
}

TXrMethodCall TDocuDataXMLParser::ReadMethodCall() {
    TXrMethodCall call;
    call.Params = std::make_unique<TXrArray>();
    ExpectStartTag("METHODCALL");
    NextSignificant();
    call.MethodName = ReadSimpleElement("METHODNAME");
    NextSignificant();
    if (Kind() != K::EndTag) {
        ExpectStartOrEmptyTag("PARAMS");
        if (Kind() == K::StartTag) {
            NextSignificant();
            while (Kind() == K::StartTag) {
                ExpectStartTag("PARAM");
                NextSignificant();
                call.Params->Add(ReadValue());
                NextSignificant();
                ExpectEndTag("PARAM");
                NextSignificant();
            }
            ExpectEndTag("PARAMS");
        }
        NextSignificant();
    }
    ExpectEndTag("METHODCALL");
    return call;
}
