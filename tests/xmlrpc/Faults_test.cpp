#include "xmlrpc/Faults.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

namespace {

TEST(RaiseIfFault, RaisesTheFaultAndPassesEverythingElse) {
    try {
        RaiseIfFault(std::make_unique<TXrFault>(4, "Bad symbol"));
        ADD_FAILURE() << "no error";
    } catch (const ERpcFault& e) {
        EXPECT_EQ(e.FaultCode(), 4);
        EXPECT_EQ(e.Message(), "Bad symbol");
    }
    auto array = std::make_unique<TXrArray>();
    TXrValue* raw = array.get();
    EXPECT_EQ(RaiseIfFault(std::move(array)).get(), raw);
    EXPECT_EQ(RaiseIfFault(nullptr), nullptr);
}

TEST(RaiseIfFault, AnUnreadableAnswerBecomesFault100) {
    try {
        RaiseIfFault(ParseResponse(""));
        ADD_FAILURE() << "no error";
    } catch (const ERpcFault& e) {
        EXPECT_EQ(e.FaultCode(), 100);
        EXPECT_EQ(e.Message(), "at line 1 and column 1, tag \"\": expected start tag.");
    }
}

TEST(FaultFromStruct, ReadsStringFirstAndIgnoresExtraMembers) {
    TXrStruct extra;
    extra.AddString("faultString", "Bad symbol");
    extra.AddInteger("faultCode", 4);
    extra.AddString("detail", "ignored");
    auto fault = FaultFromStruct(extra);
    EXPECT_EQ(fault->FaultCode, 4);
    EXPECT_EQ(fault->FaultString, "Bad symbol");
    EXPECT_EQ(extra.Count(), 3);

    TXrStruct empty;
    TXrStruct codeAsString;
    codeAsString.AddString("faultString", "x");
    codeAsString.AddString("faultCode", "4");
    const std::pair<const TXrStruct*, const char*> cases[] = {
        {&empty, "Key faultString not found in Struct.\r\n\r\n"},
        {&codeAsString, "Key faultCode not of type integer.\r\n\r\n"},
    };
    for (auto [s, prefix] : cases) {
        try {
            FaultFromStruct(*s);
            ADD_FAILURE() << prefix;
        } catch (const ERpcFault&) {
            ADD_FAILURE() << "a fault, not a check error: " << prefix;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message().rfind(prefix, 0), 0u) << e.Message();
        }
    }
    EXPECT_EQ(FaultFromMessage("broken")->FaultCode, 100);
}

} // namespace
