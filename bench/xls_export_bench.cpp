// Writing a results-sized table to an xls97 workbook: 10,001 rows (header and
// 10,000 stocks) of 20 columns, 10 text and 10 numeric.  The same table is
// written by bench/xls_compare.sh with a peer library.
#include "xls/XLSWrite.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int Rows = 10001, Columns = 20;

struct Table {
    std::vector<std::vector<std::string>> Texts; // [row][text column]
    std::vector<std::vector<double>> Numbers;    // [row][numeric column]
};

// Row 0 holds captions; text cells are distinct per row (symbols, names) with
// one repeated column (industry), numbers vary per cell.
const Table& TheTable() {
    static const Table table = [] {
        Table t;
        t.Texts.resize(Rows);
        t.Numbers.resize(Rows);
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < Columns / 2; ++c) {
                t.Texts[r].push_back(r == 0   ? "Column " + std::to_string(c)
                                     : c == 9 ? "Industry " + std::to_string(r % 40)
                                              : "Stock " + std::to_string(r) + " field " +
                                                    std::to_string(c));
                t.Numbers[r].push_back(r * 1.25 + c / 8.0);
            }
        return t;
    }();
    return table;
}

void WriteTable(const std::string& file) {
    const Table& t = TheTable();
    qb::TXLSWrite w;
    w.SetXLSVersion(qb::xls97);
    w.SetFileName(file);
    w.OpenFile();
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns / 2; ++c) {
            w.WriteString(c, r, t.Texts[r][c], -1);
            if (r == 0)
                w.WriteString(Columns / 2 + c, r, "Value " + std::to_string(c), -1);
            else
                w.WriteNumber(Columns / 2 + c, r, t.Numbers[r][c], -1);
        }
    w.CloseFile();
}

void BM_Xls97Table(benchmark::State& state) {
    const std::string file = (std::filesystem::temp_directory_path() / "qb_xls_bench.xls").string();
    TheTable();
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    for (auto _ : state)
        WriteTable(file);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    state.counters["file_MB"] = std::filesystem::file_size(file) / 1e6;
    // Peak resident memory of the whole process, the table included.
    state.counters["peak_rss_MB"] = after.ru_maxrss / 1024.0;
    std::filesystem::remove(file);
}
BENCHMARK(BM_Xls97Table)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
