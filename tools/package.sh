#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds the player in Release
# (without tests and benchmarks) in build-deb/ and has CPack make
# build-deb/zimo_VERSION_ARCH.deb from it, then checks the package with lintian, which
# fails the run on errors.
#   ZIMO_BUILD_DIR  package this build folder as it is configured instead (CI packages
#                   the build its tests ran on)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
if [ -n "${ZIMO_BUILD_DIR:-}" ]; then
    build=$ZIMO_BUILD_DIR
else
    build=$root/build-deb
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZIMO_TESTS=OFF \
        -DZIMO_BENCH=OFF >/dev/null
fi
cmake --build "$build"
rm -f "$build"/zimo_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/zimo_*.deb)
lintian --fail-on error "$deb"
echo "Package: $deb"
