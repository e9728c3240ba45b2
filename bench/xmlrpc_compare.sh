#!/usr/bin/env bash
# Times our response reader and Python's xmlrpc.client.loads on the same
# 12 MB search answer (10,000 rows x 20 strings) and prints both figures and
# their ratio (median CPU time of five reads, so that other load on the
# machine counts less), with the memory each needs for the result: our heap peak
# during one read, and the growth of Python's peak resident size.
# Usage: bench/xmlrpc_compare.sh [build-dir]   (needs bench_xmlrpc_parse built)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
exe="$build/bench/bench_xmlrpc_parse"
[ -x "$exe" ] || { echo "build the target bench_xmlrpc_parse in $build first" >&2; exit 1; }
doc="$(mktemp /tmp/xmlrpc_doc.XXXXXX)"
trap 'rm -f "$doc"' EXIT

python3 - "$doc" <<'PY'
import sys
rows, cols = 10000, 20
out = ['<?xml version="1.0"?>\r\n<methodResponse>\r\n    <params>\r\n<param><value>\r\n<struct>\r\n']
def member(name, value):
    out.append('    <member>\r\n        <name>%s</name>\r\n        <value>\r\n%s</value>\r\n    </member>\r\n' % (name, value))
def array(items):
    return '<array><data>\r\n' + ''.join('<value>\r\n%s</value>\r\n' % i for i in items) + '</data></array>'
member('Error', '<boolean>0</boolean>')
member('ErrorCode', '<i4>0</i4>')
member('ErrorMessage', '<string></string>')
member('ColumnNames', array('<string>COLUMN%d</string>' % c for c in range(cols)))
member('Results', array(array('<string>%s</string>' % ('Row %d column %d' % (r, c)).ljust(24, '.')
                              for c in range(cols)) for r in range(rows)))
out.append('</struct></value></param>\r\n    </params>\r\n</methodResponse>')
open(sys.argv[1], 'w', newline='').write(''.join(out))
PY

ours=$(QB_XMLRPC_DOC="$doc" "$exe" --benchmark_filter=BM_ParseSearchAnswer \
       --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
       --benchmark_format=csv 2>/dev/null | grep '_median')
ours_ms=$(echo "$ours" | cut -d, -f4)
ours_peak=$(QB_XMLRPC_DOC="$doc" "$exe" --benchmark_filter=BM_ParseSearchAnswer \
            --benchmark_min_time=0.01 --benchmark_format=json 2>/dev/null |
            python3 -c 'import json,sys; print("%.1f" % json.load(sys.stdin)["benchmarks"][0]["heap_peak_MB"])')

read -r py_ms py_peak < <(python3 - "$doc" <<'PY'
import resource, sys, time, xmlrpc.client
data = open(sys.argv[1], 'rb').read()
def peak_mb():
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
before = peak_mb()
times = []
for _ in range(5):
    t = time.process_time()
    result = xmlrpc.client.loads(data)
    times.append((time.process_time() - t) * 1000)
    del result
times.sort()
print("%.1f %.1f" % (times[len(times) // 2], peak_mb() - before))
PY
)

size=$(stat -c %s "$doc")
printf 'document: %.1f MB\n' "$(echo "$size / 1000000" | bc -l)"
printf 'ours:   %8.1f ms  heap peak %6.1f MB\n' "$ours_ms" "$ours_peak"
printf 'python: %8.1f ms  peak RSS growth %5.1f MB\n' "$py_ms" "$py_peak"
printf 'python / ours: %.1fx\n' "$(echo "$py_ms / $ours_ms" | bc -l)"
