#!/usr/bin/env bash
# Installs what is needed, builds, starts the reference stock service with
# its demo data (created on first use) on a free loopback port, and starts
# Quillbrook with a settings file pointing at it.  The service stops when
# Quillbrook exits.  Extra arguments go to the program (for example a .qbk
# file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
trap 'bash scripts/demo.sh stop' EXIT
bash scripts/demo.sh start
settings="$(bash scripts/demo.sh settings)"
build="${QB_BUILD_DIR:-build}"
"$build/src/app/quillbrook" --settings "$settings" "$@"
