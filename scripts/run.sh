#!/usr/bin/env bash
# Installs what is needed, builds, and starts Quillbrook.  Extra arguments go
# to the program (for example a .qbk file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec build/src/app/quillbrook "$@"
