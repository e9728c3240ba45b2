#!/usr/bin/env bash
# Installs every Debian package that building, running and testing need.
# Idempotent: apt-get skips what is already there.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libssl-dev openssl libsqlite3-dev sqlite3
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    python3 python3-xlrd python3-olefile python3-xlwt
    fonts-dejavu-core
    clang-14 libclang-rt-14-dev llvm-14
    lintian dpkg-dev shared-mime-info
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update
    $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
