#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the installed program finds
# its player: the main window shows, not the error box.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/zimo lib/zimo/libzimoplayer.so share/icons/hicolor/32x32/apps/zimo.png; do
    [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
export TMPDIR="$prefix"
"$prefix/bin/zimo" &
pid=$!
found=""
for _ in $(seq 100); do
    found=$(xdotool search --all --pid "$pid" --onlyvisible --name '^(FLV Player zimo|Error)$' 2>/dev/null | head -n 1 || true)
    [ -n "$found" ] && break
    sleep 0.1
done
title=$( [ -n "$found" ] && xdotool getwindowname "$found" || true)
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
if [ "$title" != "FLV Player zimo" ]; then
    echo "the installed program showed '${title:-nothing}' instead of its main window"
    exit 1
fi
echo "1 passed, 0 failed"
