#!/usr/bin/env bash
# The reference stock service with the demo data, on its own.
#   scripts/demo.sh start    start it in the background (free loopback port),
#                            write the settings file, print both
#   scripts/demo.sh stop     stop it
#   scripts/demo.sh serve [OPTIONS]   run it in the foreground (see --help)
# Needs a build (scripts/build.sh).  Files live in $QB_DEMO_DIR
# (default: <build dir>/demo): stocks.sqlite, quillbrook.ini, service.pid, service.log.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QB_BUILD_DIR:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
service="$build/service/quillbrook-service"
demo="${QB_DEMO_DIR:-$build/demo}"
db="$demo/stocks.sqlite"
settings="$demo/quillbrook.ini"
pidfile="$demo/service.pid"
log="$demo/service.log"

ensure_database() {
    [ -x "$service" ] || { echo "No $service: build first (scripts/build.sh)." >&2; exit 1; }
    mkdir -p "$demo"
    if [ ! -s "$db" ]; then
        echo "Creating the demo database (once)..." >&2
        "$service" --init-demo "$db.tmp" && mv "$db.tmp" "$db"
    fi
}

# The default settings file with the port of the running service; an existing
# file keeps everything else (window placement) and gets the new port.
write_settings() {
    local port=$1
    if [ ! -f "$settings" ]; then
        cp "$root/data/quillbrook.ini" "$settings"
    fi
    sed -i -e "s/^ServerHost=.*/ServerHost=127.0.0.1/" -e "s/^ServerPort=.*/ServerPort=$port/" "$settings"
}

start() {
    ensure_database
    stop >/dev/null 2>&1 || true
    : > "$log"
    "$service" --db "$db" --port 0 >"$demo/service.out" 2>>"$log" &
    local pid=$!
    echo "$pid" > "$pidfile"
    local port=""
    for _ in $(seq 1 300); do
        port=$(sed -n 's/^Listening on .* port \([0-9]*\)$/\1/p' "$demo/service.out" 2>/dev/null || true)
        [ -n "$port" ] && break
        kill -0 "$pid" 2>/dev/null || { cat "$log" >&2; echo "The service did not start." >&2; exit 1; }
        sleep 0.1
    done
    [ -n "$port" ] || { echo "The service did not report its port." >&2; kill "$pid"; exit 1; }
    write_settings "$port"
    echo "Service running (pid $pid) on 127.0.0.1 port $port; log: $log"
    echo "Settings: $settings"
}

stop() {
    [ -f "$pidfile" ] || return 0
    local pid
    pid=$(cat "$pidfile")
    rm -f "$pidfile"
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || return 0
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
    fi
}

case "${1:-}" in
start) start ;;
stop) stop ;;
serve)
    shift
    ensure_database
    exec "$service" --db "$db" "$@"
    ;;
settings) echo "$settings" ;;
*)
    sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
