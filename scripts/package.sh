#!/usr/bin/env bash
# Builds the Debian package in the build folder and checks it with lintian:
# errors fail, warnings are shown.  Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${QB_BUILD_DIR:-build}"
cmake --build "$build" --target quillbrook quillbrook-service qb_packaging_files
cd "$build"
rm -f quillbrook_*.deb
cpack -G DEB > cpack.log || { cat cpack.log; exit 1; }
deb=$(ls quillbrook_*.deb)
dpkg-deb --contents "$deb"
# Running as root is normal in CI containers; lintian only notes it.
lintian --fail-on error --allow-root "$deb"
echo "$PWD/$deb"
