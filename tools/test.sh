#!/usr/bin/env bash
# Builds the project and runs every test; arguments go to ctest (-R media runs one area's).
# Tests run with HOME and the XDG folders in a temporary place, so they never touch the
# user's own settings.
#   ZIMO_BUILD_DIR   build folder (default: build)
#   ZIMO_CMAKE_ARGS  extra arguments for the configure step
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZIMO_BUILD_DIR:-$root/build}
"$root/tools/install-deps.sh"
# shellcheck disable=SC2086
cmake -S "$root" -B "$build" -G Ninja ${ZIMO_CMAKE_ARGS:-}
cmake --build "$build"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home" "$scratch/config" "$scratch/data" "$scratch/cache" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
    XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch/runtime"
unset DBUS_SESSION_BUS_ADDRESS
# No sound server is reachable (none is started on demand either), so tests play silently;
# the test of sound output starts a private server of its own.
export PULSE_SERVER="unix:$scratch/runtime/no-sound-server"
# Tests that drive real windows depend on the window manager's timing; on a loaded
# machine one gets a second try (its first failure stays in the log).
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300 --repeat until-pass:2 "$@"
