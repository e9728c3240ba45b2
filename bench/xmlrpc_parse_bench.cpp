// Reading a large search answer into the value tree, and building a full
// search request.  QB_XMLRPC_DOC names a response file to read instead of the
// generated one (bench/xmlrpc_compare.sh uses it to time the same bytes as
// Python's reader).
#include "xmlrpc/BuildRequest.h"
#include "xmlrpc/MethodCall.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/XrValues.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <new>
#include <sstream>
#include <string>

// Live and peak heap bytes, counted by replacing the global allocation
// functions: the peak of one read is what the tree and the reader cost.
// Counting is switched on only while memory is measured, so that it does
// not weigh on the timings.
namespace {
bool gCountHeap = false;
long long gHeapLive = 0;
long long gHeapPeak = 0;
} // namespace

void* operator new(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    if (gCountHeap) {
        gHeapLive += static_cast<long long>(malloc_usable_size(p));
        if (gHeapLive > gHeapPeak)
            gHeapPeak = gHeapLive;
    }
    return p;
}
void* operator new[](size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    if (p && gCountHeap)
        gHeapLive -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, size_t) noexcept {
    operator delete(p);
}

namespace {

constexpr int kRows = 10000;
constexpr int kColumns = 20;

// About 12 MB: a search answer of 10,000 rows of 20 strings.
std::string GeneratedResponse() {
    TXrStruct answer;
    answer.AddBoolean("Error", false);
    answer.AddInteger("ErrorCode", 0);
    answer.AddString("ErrorMessage", "");
    TXrArray& names = answer.AddArray("ColumnNames");
    for (int c = 0; c < kColumns; ++c)
        names.AddString("COLUMN" + std::to_string(c));
    TXrArray& rows = answer.AddArray("Results");
    rows.Reserve(kRows);
    for (int r = 0; r < kRows; ++r) {
        TXrArray& row = rows.AddArray();
        for (int c = 0; c < kColumns; ++c) {
            std::string cell = "Row " + std::to_string(r) + " column " + std::to_string(c);
            cell.resize(24, '.');
            row.AddString(cell);
        }
    }
    return BuildResponse(answer);
}

const std::string& Document() {
    static const std::string doc = [] {
        if (const char* path = std::getenv("QB_XMLRPC_DOC")) {
            std::ifstream in(path, std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            return text.str();
        }
        return GeneratedResponse();
    }();
    return doc;
}

void BM_ParseSearchAnswer(benchmark::State& state) {
    const std::string& doc = Document();
    for (auto _ : state) {
        auto value = ParseResponse(doc);
        benchmark::DoNotOptimize(value.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
    state.counters["doc_MB"] = static_cast<double>(doc.size()) / 1e6;

    // The heap the tree and the reader need at most, over one read.
    gHeapLive = gHeapPeak = 0;
    gCountHeap = true;
    ParseResponse(doc).reset();
    gCountHeap = false;
    state.counters["heap_peak_MB"] = static_cast<double>(gHeapPeak) / 1e6;
}
BENCHMARK(BM_ParseSearchAnswer)->Unit(benchmark::kMillisecond);

// A request with every one of the 46 catalogue fields as a criterion.
void BM_BuildFullSearchRequest(benchmark::State& state) {
    for (auto _ : state) {
        TXrArray params;
        params.AddString("0123456789abcdef0123456789abcdef");
        TXrStruct& request = params.AddStruct();
        request.AddDateTime("TradeDate", 147558, 0);
        TXrArray& columns = request.AddArray("Columns");
        for (int i = 0; i < 46; ++i) {
            TXrStruct& criterion = columns.AddStruct();
            criterion.AddString("ColumnName", "FIELDNAME" + std::to_string(i));
            criterion.AddInteger("FilterType", i % 5);
            switch (i % 4) {
            case 0:
                criterion.AddDouble("MinValue", 1.5 * i);
                criterion.AddDouble("MaxValue", 1000.25 * i);
                break;
            case 1:
                criterion.AddDateTime("MinValue", 147000 + i, 0);
                criterion.AddDateTime("MaxValue", 148000 + i, 0);
                break;
            case 2: {
                TXrArray& list = criterion.AddArray("ValueList");
                criterion.AddInteger("ValueListDataType", 1);
                for (int k = 0; k < 8; ++k)
                    list.AddStruct().AddString("StringValue", "Industry \xE9 " + std::to_string(k));
                break;
            }
            default:
                criterion.AddDouble("Percentage", -0.1 * i);
            }
        }
        TXrArray& symbols = request.AddArray("Symbols");
        for (int k = 0; k < 10; ++k) {
            TXrStruct& symbol = symbols.AddStruct();
            symbol.AddString("Country", "US");
            symbol.AddString("Symbol", "SYM" + std::to_string(k));
        }
        std::string doc = BuildRequest("StockService.FindStocks", params);
        benchmark::DoNotOptimize(doc.data());
    }
}
BENCHMARK(BM_BuildFullSearchRequest)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
