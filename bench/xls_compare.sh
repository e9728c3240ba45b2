#!/usr/bin/env bash
# Writes the same 10,001 x 20 table (10 text, 10 numeric columns) with our
# workbook writer and with python3-xlwt, and prints both times and the ratio.
# Usage: bench/xls_compare.sh [build-dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bench="$build/bench/bench_xls_export"
if [ ! -x "$bench" ]; then
    cmake --build "$build" --target bench_xls_export --parallel 2 >/dev/null
fi

ours=$("$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_format=csv 2>/dev/null | awk -F, '/_median"?,/ {print $4; exit}')
peak=n/a
if [ -x /usr/bin/time ]; then
    peak=$(/usr/bin/time -f %M "$bench" --benchmark_min_time=0.01 2>&1 >/dev/null | tail -1)
fi

xlwt=$(/usr/bin/python3 - <<'PY'
import os, tempfile, time
import xlwt

rows, cols = 10001, 20
texts = [[("Column %d" % c) if r == 0 else
          ("Industry %d" % (r % 40)) if c == 9 else
          ("Stock %d field %d" % (r, c)) for c in range(cols // 2)] for r in range(rows)]
numbers = [[r * 1.25 + c / 8.0 for c in range(cols // 2)] for r in range(rows)]
path = os.path.join(tempfile.gettempdir(), "qb_xlwt_bench.xls")

def run():
    book = xlwt.Workbook()
    sheet = book.add_sheet("Sheet1")
    for r in range(rows):
        row = sheet.row(r)
        for c in range(cols // 2):
            row.write(c, texts[r][c])
            row.write(cols // 2 + c, ("Value %d" % c) if r == 0 else numbers[r][c])
    book.save(path)

times = []
for _ in range(5):
    start = time.process_time()
    run()
    times.append((time.process_time() - start) * 1000)
os.remove(path)
print("%.1f" % sorted(times)[len(times) // 2])
PY
)

printf 'table: 10,001 rows x 20 columns (10 text, 10 numeric), xls97/BIFF8, CPU time, median of 5 (wall time suffers when the machine is shared)\n'
printf 'ours (TXLSWrite):  %8.1f ms  (peak RSS of the whole benchmark process: %s KB)\n' "$ours" "$peak"
printf 'python3-xlwt:      %8.1f ms\n' "$xlwt"
awk -v a="$xlwt" -v b="$ours" 'BEGIN { printf "ratio xlwt/ours:   %8.1f\n", a / b }'
