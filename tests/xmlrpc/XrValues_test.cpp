#include "support/Exception.h"
#include "xmlrpc/EscapeXml.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

bool IsCheckError(const Exception& e, const std::string& message) {
    std::string prefix = message.empty() ? "In module " : message + "\r\n\r\nIn module ";
    return e.Message().rfind(prefix, 0) == 0;
}

struct TCountingValue : TXrValue {
    explicit TCountingValue(int& destroyed) : Destroyed(destroyed) {}
    ~TCountingValue() override { ++Destroyed; }
    void AppendXml(std::string& out) const override { out += "<counted/>"; }
    int& Destroyed;
};

struct TXmlCase {
    const char* Label;
    std::unique_ptr<TXrValue> (*Make)();
    const char* Xml;
};

TEST(XrValueXml, ScalarsAndContainersWriteTheirExactText) {
    const TXmlCase cases[] = {
        {"int -5", [] { return std::unique_ptr<TXrValue>(new TXrInt4(-5)); }, "<i4>-5</i4>"},
        {"int max", [] { return std::unique_ptr<TXrValue>(new TXrInt4(2147483647)); },
         "<i4>2147483647</i4>"},
        {"true", [] { return std::unique_ptr<TXrValue>(new TXrBoolean(true)); },
         "<boolean>1</boolean>"},
        {"false", [] { return std::unique_ptr<TXrValue>(new TXrBoolean(false)); },
         "<boolean>0</boolean>"},
        {"escaped string",
         [] { return std::unique_ptr<TXrValue>(new TXrString("a\tb\x07&\"<>'\r\n")); },
         "<string>a\tb&amp;&quot;&lt;&gt;&apos;\r\n</string>"},
        {"high bytes stay", [] { return std::unique_ptr<TXrValue>(new TXrString("\xE9\x80")); },
         "<string>\xE9\x80</string>"},
        {"no date", [] { return std::unique_ptr<TXrValue>(new TXrDateTime(-1, 0)); },
         "<dateTime.iso8601>15991231T00:00:00</dateTime.iso8601>"},
        {"date and time", [] { return std::unique_ptr<TXrValue>(new TXrDateTime(147558, 45296)); },
         "<dateTime.iso8601>20040101T12:34:56</dateTime.iso8601>"},
        {"time -1 stored as 0", [] { return std::unique_ptr<TXrValue>(new TXrDateTime(0, -1)); },
         "<dateTime.iso8601>16000101T00:00:00</dateTime.iso8601>"},
        {"base64 with zero bytes",
         [] { return std::unique_ptr<TXrValue>(new TXrBinary(std::string("\0\xFF\x10\x20", 4))); },
         "<base64>AP8QIA==</base64>"},
        {"empty base64", [] { return std::unique_ptr<TXrValue>(new TXrBinary()); },
         "<base64></base64>"},
        {"empty array", [] { return std::unique_ptr<TXrValue>(new TXrArray()); },
         "<array><data>\r\n</data></array>"},
        {"empty struct", [] { return std::unique_ptr<TXrValue>(new TXrStruct()); },
         "<struct>\r\n</struct>"},
        {"array",
         [] {
             auto a = std::make_unique<TXrArray>();
             a->AddString("x");
             a->Add(std::make_unique<TXrInt4>(1));
             return std::unique_ptr<TXrValue>(std::move(a));
         },
         "<array><data>\r\n<value>\r\n<string>x</string></value>\r\n"
         "<value>\r\n<i4>1</i4></value>\r\n</data></array>"},
        {"struct in insertion order, names escaped",
         [] {
             auto s = std::make_unique<TXrStruct>();
             s->AddInteger("Z", 1);
             s->AddString("a<b", "v");
             return std::unique_ptr<TXrValue>(std::move(s));
         },
         "<struct>\r\n"
         "    <member>\r\n        <name>Z</name>\r\n        <value>\r\n<i4>1</i4></value>\r\n"
         "    </member>\r\n"
         "    <member>\r\n        <name>a&lt;b</name>\r\n        <value>\r\n"
         "<string>v</string></value>\r\n    </member>\r\n</struct>"},
        {"fault", [] { return std::unique_ptr<TXrValue>(new TXrFault(4, "Bad symbol")); },
         "<struct>\r\n"
         "    <member>\r\n        <name>faultCode</name>\r\n        "
         "<value>\r\n<i4>4</i4></value>\r\n"
         "    </member>\r\n"
         "    <member>\r\n        <name>faultString</name>\r\n        <value>\r\n"
         "<string>Bad symbol</string></value>\r\n    </member>\r\n</struct>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.Make()->ToXml(), c.Xml) << c.Label;
}

TEST(XrValueXml, DoublesAreSignedRoundedTo18DigitsWithoutExponent) {
    const std::pair<double, const char*> cases[] = {
        {1.5, "+1.5"},
        {1200, "+1200"},
        {3, "+3"},
        {0.25, "+0.25"},
        {-0.125, "-0.125"},
        {0, "+0"},
        {-0.0, "+0"},
        {0.1, "+0.100000000000000006"},
        {0.00001, "+0.0000100000000000000008"},
        {123456.789, "+123456.789000000004"},
        {1e20, "+100000000000000000000"},
        {-2.5e-7, "-0.000000249999999999999989"},
    };
    for (auto [value, text] : cases)
        EXPECT_EQ(TXrDouble(value).ToXml(), std::string("<double>") + text + "</double>") << text;
}

TEST(XrValueXml, NonFiniteDoublesAreRefused) {
    for (double v :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        try {
            TXrDouble(v).ToXml();
            ADD_FAILURE() << v;
        } catch (const Exception& e) {
            EXPECT_TRUE(IsCheckError(e, "")) << e.Message();
        }
    }
}

TEST(XrValueXml, EscapeXmlDropsControlsAndEscapesAmpersandFirst) {
    EXPECT_EQ(EscapeXml(std::string("&lt;\x01\x1F\x7F", 7)), "&amp;lt;\x7F");
    EXPECT_EQ(EscapeXml(std::string("a\0b", 3)), "ab");
}

TEST(XrStruct, NamesAreUniqueCaseSensitiveAndKeepInsertionOrder) {
    TXrStruct s;
    s.AddDouble("Price", 1);
    s.AddDouble("price", 2);
    s.AddString("Alpha", "a");
    s.AddInteger("Beta", 3);
    try {
        s.AddInteger("Price", 9);
        ADD_FAILURE() << "duplicate accepted";
    } catch (const Exception& e) {
        EXPECT_TRUE(IsCheckError(e, "")) << e.Message();
    }
    ASSERT_EQ(s.Count(), 4);
    const char* order[] = {"Price", "price", "Alpha", "Beta"};
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(s.NameAt(i), order[i - 1]);
    EXPECT_EQ(dynamic_cast<TXrDouble*>(s.Find("Price"))->Value, 1);
    EXPECT_EQ(dynamic_cast<TXrDouble*>(s.Find("price"))->Value, 2);
    EXPECT_EQ(s.Find("PRICE"), nullptr);
    EXPECT_THROW(s.NameAt(0), EXrIndexError);
    EXPECT_THROW(s.NameAt(5), EXrIndexError);
}

TEST(XrStruct, ManyMembersAreAllFoundThroughTheBuckets) {
    TXrStruct s;
    for (int i = 0; i < 200; ++i)
        s.AddInteger("m" + std::to_string(i), i);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(s.GetInteger("m" + std::to_string(i)), i);
    EXPECT_EQ(s.Find("m200"), nullptr);
}

TEST(XrStruct, RejectedValuesAreDestroyedExactlyOnce) {
    int destroyed = 0;
    {
        TXrStruct s;
        s.Add("a", std::make_unique<TCountingValue>(destroyed));
        EXPECT_THROW(s.Add("a", std::make_unique<TCountingValue>(destroyed)), Exception);
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(s.Count(), 1);
        EXPECT_THROW(s.Add("b", nullptr), Exception);
        EXPECT_EQ(s.Count(), 1);
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(XrStruct, GuardedReadsReportAbsenceBeforeType) {
    TXrStruct s;
    s.AddString("S", "text");
    s.AddInteger("I", 7);
    s.AddBoolean("B", true);
    s.AddDateTime("D", 147558, 45296);
    s.AddArray("A").AddString("x");
    EXPECT_EQ(s.GetString("S"), "text");
    EXPECT_EQ(s.GetInteger("I"), 7);
    EXPECT_TRUE(s.GetBoolean("B"));
    EXPECT_EQ(s.GetDate("D"), 147558);
    EXPECT_EQ(s.GetArray("A").StringItem(1), "x");

    using TRead = void (*)(const TXrStruct&, const char*);
    const std::tuple<const char*, TRead, const char*> cases[] = {
        {"Missing", [](const TXrStruct& t, const char* n) { t.GetString(n); },
         "Key Missing not found in Struct."},
        {"Missing", [](const TXrStruct& t, const char* n) { t.GetArray(n); },
         "Key Missing not found in Struct."},
        {"I", [](const TXrStruct& t, const char* n) { t.GetString(n); },
         "Key I not of type string."},
        {"S", [](const TXrStruct& t, const char* n) { t.GetInteger(n); },
         "Key S not of type integer."},
        {"I", [](const TXrStruct& t, const char* n) { t.GetBoolean(n); },
         "Key I not of type boolean."},
        {"S", [](const TXrStruct& t, const char* n) { t.GetDate(n); },
         "Key S not of type date/time."},
        {"D", [](const TXrStruct& t, const char* n) { t.GetArray(n); }, "Key D not of type array."},
    };
    for (const auto& [name, read, message] : cases) {
        try {
            read(s, name);
            ADD_FAILURE() << message;
        } catch (const Exception& e) {
            EXPECT_TRUE(IsCheckError(e, message)) << e.Message();
        }
    }
}

TEST(XrArray, IndexesAreOneBasedAndTyped) {
    TXrArray a;
    a.AddString("first");
    a.Add(std::make_unique<TXrInt4>(2));
    EXPECT_EQ(a.Count(), 2);
    EXPECT_EQ(a.StringItem(1), "first");
    EXPECT_EQ(dynamic_cast<TXrInt4*>(a.Item(2))->Value, 2);
    EXPECT_THROW(a.Item(0), EXrIndexError);
    EXPECT_THROW(a.Item(3), EXrIndexError);
    EXPECT_THROW(a.StringItem(3), EXrIndexError);
    EXPECT_THROW(a.StringItem(2), EXrTypeError);
    EXPECT_THROW(a.Add(nullptr), Exception);
    EXPECT_EQ(a.Count(), 2);
}

} // namespace
