#include "support/Exception.h"
#include "xmlrpc/BuildRequest.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

TEST(BuildRequest, WritesTheDocumentLineByLineWithoutFinalBreak) {
    TXrArray params;
    params.AddString("ABC");
    EXPECT_EQ(BuildRequest("StockService.FindStocks", params),
              "<?xml version=\"1.0\"?>\r\n"
              "<methodCall>\r\n"
              "    <methodName>StockService.FindStocks</methodName>\r\n"
              "    <params>\r\n"
              "<param><value>\r\n"
              "<string>ABC</string></value></param>\r\n"
              "    </params>\r\n"
              "</methodCall>");
    TXrArray none;
    EXPECT_EQ(BuildRequest("a", none), "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n"
                                       "    <methodName>a</methodName>\r\n"
                                       "    <params>\r\n    </params>\r\n</methodCall>");
}

TEST(BuildRequest, MethodNamesOutsideTheirCharacterSetAreRefused) {
    TXrArray params;
    for (const char* ok : {"", "StockService.OpenSession", "a_b:c/d.9"})
        EXPECT_NO_THROW(BuildRequest(ok, params)) << ok;
    for (const char* bad : {"Stock Service", "a<b", "a&b", "caf\xE9", "a-b", "x\r\n"})
        EXPECT_THROW(BuildRequest(bad, params), Exception) << bad;
}

TEST(BuildRequest, ConvertsWindows1252ToUtf8) {
    TXrArray params;
    params.AddString("\xE9\x80\x81\x9D\xFF");
    std::string doc = BuildRequest("m", params);
    EXPECT_NE(doc.find("<string>\xC3\xA9\xE2\x82\xAC\xC2\x81\xC2\x9D\xC3\xBF</string>"),
              std::string::npos)
        << doc;
}

// An independent reader: Python's xmlrpc.client must see the same values.
TEST(BuildRequest, PythonXmlRpcReadsTheSameValues) {
    TXrArray params;
    params.AddString("Caf\xE9 \x80 & <tag> \"q\" 'a'");
    params.Add(std::make_unique<TXrInt4>(-5));
    params.Add(std::make_unique<TXrBoolean>(true));
    params.Add(std::make_unique<TXrDouble>(0.1));
    params.Add(std::make_unique<TXrDouble>(-1200));
    params.Add(std::make_unique<TXrDateTime>(147558, 45296));
    params.Add(std::make_unique<TXrBinary>(std::string("\0\x01\xFF", 3)));
    TXrStruct& s = params.AddStruct();
    s.AddString("Zeta", "z");
    s.AddArray("Alpha").AddString("x");
    s.AddArray("Empty");
    s.AddStruct("Nested").AddInteger("n", 1);
    std::string doc = BuildRequest("StockService.FindStocks", params);

    char path[] = "/tmp/xmlrpc_request_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, doc.data(), doc.size()), static_cast<ssize_t>(doc.size()));
    close(fd);
    std::string command = std::string("python3 -c \"import sys, xmlrpc.client; "
                                      "p, m = xmlrpc.client.loads(open(sys.argv[1], 'rb').read(), "
                                      "use_builtin_types=True); "
                                      "sys.stdout.buffer.write(repr((m, p)).encode('utf-8'))\" ") +
                          path;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::string out;
    std::array<char, 4096> buffer;
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe.get()))
        out.append(buffer.data(), n);
    pipe.reset();
    unlink(path);
    EXPECT_EQ(out, "('StockService.FindStocks', ('Caf\xC3\xA9 \xE2\x82\xAC & <tag> \"q\" \\'a\\'', "
                   "-5, True, 0.1, -1200.0, datetime.datetime(2004, 1, 1, 12, 34, 56), "
                   "b'\\x00\\x01\\xff', {'Zeta': 'z', 'Alpha': ['x'], 'Empty': [], "
                   "'Nested': {'n': 1}}))");
}

} // namespace
