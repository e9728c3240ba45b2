// The pieces below the wire: the request head, the query text, sessions, the
// nesting guard.
#include "service/HttpRequestHead.h"
#include "service/ServiceRefusal.h"
#include "service/SessionStore.h"
#include "service/StockQuery.h"
#include "service/StockService.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(HttpRequestHead, ContentLengthIsReadStrictly) {
    struct TCase {
        const char* Head;
        std::optional<std::size_t> Length;
    };
    const TCase cases[] = {
        {"POST HTTP/1.0\r\nUser-Agent: KQX-RPC\r\nHost: h\r\nContent-Type: "
         "text/xml\r\nContent-length: 120",
         120},
        {"POST / HTTP/1.0\r\nCONTENT-LENGTH:7", 7},
        {"POST HTTP/1.0\r\nContent-length:  42 \t", 42},
        {"POST HTTP/1.0\r\nContent-length: 5\r\nContent-length: 5", 5},
        {"POST HTTP/1.0\r\nContent-length: 5\r\nContent-length: 6", std::nullopt},
        {"POST HTTP/1.0\r\nContent-length: 0x10", std::nullopt},
        {"POST HTTP/1.0\r\nContent-length: -1", std::nullopt},
        {"POST HTTP/1.0\r\nContent-length: 184467440737095516160", std::nullopt},
        {"POST HTTP/1.0\r\nContent-length:", std::nullopt},
        {"POST HTTP/1.0\r\nX-Content-length: 5", std::nullopt},
        {"POST HTTP/1.0", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Head);
        THttpRequestHead head = ParseHttpRequestHead(c.Head);
        EXPECT_EQ(head.Method, "POST");
        EXPECT_EQ(head.ContentLength, c.Length);
    }
}

TEST(StockQuery, RequestValuesNeverEnterTheSqlText) {
    const std::string attack = "x') OR 1=1; DROP TABLE stocks; --";
    TFindStocksRequest request;
    request.TradeDate = "2010-01-01";
    TCriterion list;
    list.ColumnName = "industry"; // names compare without regard to case
    list.Kind = TCriterionKind::ctValueList;
    list.Values = {attack, "Banks"};
    TCriterion dates;
    dates.ColumnName = "DIVIDENDDATE";
    dates.Kind = TCriterionKind::ctDateRange;
    dates.MinDate = "2001-01-01";
    dates.MaxDate = "2002-01-01";
    request.Criteria = {list, dates};
    request.Symbols = {{"us", attack}};
    TStockQuery query = BuildStockQuery(request, 150000, 11);
    EXPECT_EQ(query.Sql.find("DROP"), std::string::npos) << query.Sql;
    EXPECT_EQ(query.Sql.find("2001"), std::string::npos) << query.Sql;
    EXPECT_EQ(query.Sql.find("Banks"), std::string::npos) << query.Sql;
    EXPECT_EQ(query.Params.size(), 1u + 2 + 2 + 2 + 1);
    EXPECT_EQ(std::get<std::string>(query.Params[5]), "US"); // countries and symbols upper case
    EXPECT_EQ(std::get<long long>(query.Params.back()), 11);

    // A date of the wrong form is refused rather than compared as text.
    request.Criteria[1].MinDate = "2001-1-1";
    try {
        BuildStockQuery(request, 150000, 11);
        FAIL();
    } catch (const EServiceRefusal& refusal) {
        EXPECT_EQ(refusal.Code(), rcMalformedCriterion);
    }
    // Too many values for one statement.
    request.Criteria = {list};
    request.Criteria[0].Values.assign(MaxQueryValues + 1, "v");
    EXPECT_THROW(BuildStockQuery(request, 150000, 11), EServiceRefusal);
}

TEST(SessionStore, SessionsEndWhenIdleOrCrowdedOut) {
    TSessionStore crowded({{"u", "p"}}, 2, std::chrono::hours(1));
    std::string first = crowded.Open("u", "p"), second = crowded.Open("u", "p");
    EXPECT_TRUE(crowded.Touch(first)); // now the second is the least recently used
    std::string third = crowded.Open("u", "p");
    EXPECT_TRUE(crowded.Touch(first));
    EXPECT_FALSE(crowded.Touch(second));
    EXPECT_TRUE(crowded.Touch(third));
    EXPECT_EQ(crowded.Count(), 2u);

    TSessionStore idle({{"u", "p"}}, 10, std::chrono::milliseconds(1));
    std::string token = idle.Open("u", "p");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(idle.Touch(token));
    EXPECT_FALSE(idle.Close(token));
    EXPECT_EQ(idle.Count(), 0u);
}

TEST(NestingGuard, CountsArraysAndStructsOnly) {
    auto nested = [](int depth, const char* open, const char* close) {
        std::string text;
        for (int i = 0; i < depth; ++i)
            text += open;
        for (int i = 0; i < depth; ++i)
            text += close;
        return text;
    };
    EXPECT_TRUE(NestingWithin(nested(32, "<array><data><value>", "</value></data></array>"), 32));
    EXPECT_FALSE(NestingWithin(nested(33, "<array><data><value>", "</value></data></array>"), 32));
    EXPECT_FALSE(
        NestingWithin(nested(33, "<STRUCT><member><value>", "</value></member></STRUCT>"), 32));
    EXPECT_TRUE(NestingWithin(nested(100, "<value>", "</value>"), 32));
    // Siblings do not add up.
    std::string siblings;
    for (int i = 0; i < 100; ++i)
        siblings += "<struct></struct>";
    EXPECT_TRUE(NestingWithin(siblings, 32));
}

} // namespace
