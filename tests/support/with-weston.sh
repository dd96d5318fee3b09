#!/usr/bin/env bash
# Runs a command as a client of a private Wayland compositor: weston on its headless
# backend, with no seat, so no window is ever activated. Qt programs run on its Wayland
# platform.
#   with-weston.sh COMMAND...
set -euo pipefail
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime
socket=wayland-zimo
weston --backend=headless-backend.so --socket=$socket --no-config --idle-time=0 \
    >"$runtime/weston.log" 2>&1 &
weston=$!
# A loaded machine may take a while to start the compositor; wait up to 20 s.
for _ in $(seq 400); do [ -S "$runtime/$socket" ] && break; sleep 0.05; done
if [ ! -S "$runtime/$socket" ]; then
    echo "with-weston.sh: weston did not start:" >&2
    cat "$runtime/weston.log" >&2
fi
# By its full path, so programs with a runtime folder of their own find it too.
export WAYLAND_DISPLAY=$runtime/$socket QT_QPA_PLATFORM=wayland
unset DISPLAY
set +e
"$@"
rc=$?
kill "$weston" 2>/dev/null
wait "$weston" 2>/dev/null
rm -rf "$runtime"
exit $rc
