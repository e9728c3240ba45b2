// Filling the results grid with 10,000 rows x 20 columns, sorting it by a
// numeric column, a text column, and descending, and exporting it as CSV.
#include "grid/TStringGridEx.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <random>

namespace {

constexpr int Rows = 10'000;
constexpr int Cols = 20;
constexpr int NumericCol = 2;
constexpr int TextCol = 1;

// Columns: symbol, company name, then numbers, prices, percentages and dates
// in turn, as a search returns them.
const std::vector<std::vector<std::string>>& Table() {
    static const std::vector<std::vector<std::string>> table = [] {
        std::mt19937 random(42);
        std::uniform_int_distribution<int> any(0, 999'999);
        const char* words[] = {"Alpha", "bravo",   "Charlie", "delta",
                               "Echo",  "foxtrot", "Golf",    "h\xF4tel"};
        std::vector<std::vector<std::string>> t;
        t.reserve(Rows + 1);
        auto& header = t.emplace_back();
        for (int c = 0; c < Cols; ++c)
            header.push_back("Column " + std::to_string(c));
        for (int r = 0; r < Rows; ++r) {
            auto& row = t.emplace_back();
            row.reserve(Cols);
            row.push_back("US:S" + std::to_string(any(random)));
            row.push_back(std::string(words[any(random) % 8]) + " " + words[any(random) % 8] +
                          " Inc.");
            for (int c = 2; c < Cols; ++c) {
                const int v = any(random);
                switch (c % 4) {
                case 0:
                    row.push_back(std::to_string(v / 100) + "." + std::to_string(v % 100));
                    break;
                case 1:
                    row.push_back(std::to_string(v));
                    break;
                case 2:
                    row.push_back("-" + std::to_string(v % 1000) + "." + std::to_string(v % 7));
                    break;
                default:
                    row.push_back(std::to_string(v % 12 + 1) + "/" + std::to_string(v % 28 + 1) +
                                  "/" + std::to_string(1990 + v % 30));
                }
            }
        }
        return t;
    }();
    return table;
}

void BM_FillGrid(benchmark::State& state) {
    TStringGridEx grid;
    grid.resize(1000, 600);
    grid.show();
    const auto& table = Table();
    for (auto _ : state) {
        grid.SetTable(table);
        QCoreApplication::processEvents(); // layout and paint
    }
}
BENCHMARK(BM_FillGrid)->Unit(benchmark::kMillisecond);

void SortBy(benchmark::State& state, int col, bool descending) {
    TStringGridEx grid;
    grid.resize(1000, 600);
    grid.show();
    for (auto _ : state) {
        state.PauseTiming();
        grid.SetTable(Table());
        grid.SetSortColumn(descending ? col : -1);
        grid.SetSortAscending(true);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        grid.HeaderClick(col, 0);
        QCoreApplication::processEvents();
    }
}

void BM_SortNumeric(benchmark::State& state) {
    SortBy(state, NumericCol, false);
}
void BM_SortText(benchmark::State& state) {
    SortBy(state, TextCol, false);
}
void BM_SortDescending(benchmark::State& state) {
    SortBy(state, NumericCol, true);
}
void BM_SortDates(benchmark::State& state) {
    SortBy(state, 5, false);
}
BENCHMARK(BM_SortNumeric)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortDescending)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortDates)->Unit(benchmark::kMillisecond);

// Responsiveness with the full grid shown: one page down and its repaint.
void BM_ScrollPage(benchmark::State& state) {
    TStringGridEx grid;
    grid.resize(1000, 600);
    grid.show();
    grid.SetTable(Table());
    QCoreApplication::processEvents();
    QScrollBar* bar = grid.verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(
            bar->value() + bar->pageStep() > bar->maximum() ? 0 : bar->value() + bar->pageStep());
        grid.viewport()->repaint();
    }
}
BENCHMARK(BM_ScrollPage)->Unit(benchmark::kMillisecond);

// Exporting the full grid as comma-separated text.
void BM_SaveToCsv(benchmark::State& state) {
    TStringGridEx grid;
    grid.SetTable(Table());
    const QString file = QDir::temp().filePath("quillbrook_bench.csv");
    for (auto _ : state)
        grid.SaveToCsv(file);
    QFile::remove(file);
}
BENCHMARK(BM_SaveToCsv)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
