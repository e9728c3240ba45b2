#pragma once
// The strict recursive reader of XML-RPC documents.  Every step expects one
// exact part; anything else raises EBadPayload naming the position.  Element
// names are compared trimmed and without regard to case; no element may
// carry attributes.
#include "xmlrpc/XmlTokenizer.h"

#include <memory>
#include <string>
#include <string_view>

class TXrArray;
class TXrStruct;
class TXrValue;
struct TXrMethodCall;

class TDocuDataXMLParser : public TXmlTokenizer {
public:
    using TXmlTokenizer::TXmlTokenizer;

    // Raises EBadPayload "at line L and column C, tag "name": message." for
    // the current part when the condition holds.
    void FailAt(bool condition, std::string_view message) {
        if (condition)
            Fail(message);
    }
    void ExpectStartTag(std::string_view upperName);
    void ExpectStartOrEmptyTag(std::string_view upperName);
    void ExpectEndTag(std::string_view upperName);
    // Scans at least once, skipping comments and blank content; the end of
    // the document is "unexpected end of payload".
    void NextSignificant();
    // Skips the XML declaration, comments and blank content before the
    // document element.
    void SkipProlog();

    std::string ReadSimpleElement(std::string_view upperName);
    std::unique_ptr<TXrValue> ReadValue();
    void ReadStruct(TXrStruct& target);
    void ReadMember(std::string& name, std::unique_ptr<TXrValue>& value);
    void ReadArray(TXrArray& target);
    std::unique_ptr<TXrValue> ReadParams();
    std::unique_ptr<TXrValue> ReadMethodResponse();
    TXrMethodCall ReadMethodCall();

private:
    [[noreturn]] void Fail(std::string_view message);
    bool NameIs(std::string_view upperName) const;
    std::string UpperName() const;
    void ExpectName(std::string_view upperName);
    // Entering a struct or array; refuses nesting beyond kMaxValueDepth.
    void EnterContainer();

    int FDepth = 0;
};
