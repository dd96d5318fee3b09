#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks it as the desktop and a user
# see it: the files, icons in every size, the menu entry and the software-centre
# description (both validated), the manual page, --help and --version, the entry
# registered for .flv files before and after the association command, a path with
# spaces, CJK and '!' handed over whole through the entry, and the window's class.
#   install_test.sh BUILD_DIR PLAYER_LIBDIR   (on an X server with a window manager;
#   PLAYER_LIBDIR is where the build installs the player library, below the prefix)
set -uo pipefail
build=$1
player_libdir=$2
scratch=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
root=$scratch/root
cmake --install "$build" --prefix "$root" >/dev/null || { echo "install failed"; exit 1; }
source "$(dirname "$0")/../support/checks.sh"
private_home "$scratch"
mkdir -p "$scratch/stub"
export XDG_DATA_DIRS=$root/share:/usr/share XDG_CONFIG_DIRS=/nonexistent PATH=$root/bin:$PATH
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_SESSION_VERSION QT_QPA_PLATFORM

entry=$root/share/applications/zimo.desktop
# What gio says of a type, in English whatever the locale the tests run in.
mime_says() { LC_ALL=C.UTF-8 gio mime "$@"; }
key() { sed -n "s/^$1=//p" "$entry" | head -n 1; }
registered() { mime_says video/x-flv | sed -n '/^Registered applications:/,/^[^\t]/p' | grep -qx $'\t'"$1"; }

for f in bin/zimo "$player_libdir/libzimoplayer.so" share/man/man1/zimo.1.gz share/doc/zimo/copyright \
    share/icons/hicolor/scalable/apps/zimo.svg; do
    check "installed: $f" test -s "$root/$f"
done
for size in 16 22 24 32 48 64 128 256; do
    icon=$root/share/icons/hicolor/${size}x${size}/apps/zimo.png
    check "icon ${size}x${size}" equals "$(identify -format '%wx%h' "$icon" 2>&1)" "${size}x${size}"
done
check "the manual page" equals "$(zcat "$root/share/man/man1/zimo.1.gz" | head -n 1 | cut -d' ' -f1-3)" ".TH ZIMO 1"

check "the entry validates" desktop-file-validate "$entry"
check "Exec" equals "$(key Exec)" "zimo %f"
check "TryExec" equals "$(key TryExec)" "zimo"
check "Icon" equals "$(key Icon)" "zimo"
check "MimeType" equals "$(key MimeType)" \
    "video/x-flv;video/x-f4v;video/mp4;video/x-m4v;video/quicktime;video/3gpp;video/3gpp2;"
quietly() { local out; out=$("$@" 2>&1) || { echo "$out"; return 1; }; }
check "the description validates" quietly appstreamcli validate --no-net \
    "$root/share/metainfo/com.example.zimo.metainfo.xml"

check "--help" equals "$(env -u DISPLAY zimo --help | head -n 1; echo "rc=${PIPESTATUS[0]}")" \
    "Usage: zimo [FILE]"$'\n'"rc=0"
check "-h" equals "$(env -u DISPLAY zimo -h | wc -l)" "$(zimo --help | wc -l)"
for option in -V --version; do
    check "$option" equals "$(env -u DISPLAY zimo "$option"; echo "rc=$?")" "zimo 1.0"$'\n'"rc=0"
done

check "registered for .flv files" registered zimo.desktop

# Launched through the entry, a file comes as one argument, however it is named.
clip="$scratch/tmp/a b 中文!.flv"
: >"$clip"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" > "$ZIMO_ARGS.part" && mv "$ZIMO_ARGS.part" "$ZIMO_ARGS"\n' \
    >"$scratch/stub/zimo"
chmod +x "$scratch/stub/zimo"
PATH=$scratch/stub:$PATH ZIMO_ARGS=$scratch/args gio launch "$entry" "$clip"
wait_for test -s "$scratch/args"
check "a path launched through the entry" equals "$(cat "$scratch/args" 2>/dev/null)" "$clip"

# The installed program, with another player the default for .flv files.
printf '[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true %%f\nMimeType=video/x-flv;\n' \
    >"$XDG_DATA_HOME/applications/other.desktop"
update-desktop-database "$XDG_DATA_HOME/applications"
printf '[Default Applications]\nvideo/x-flv=other.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
zimo &
pid=$!
window=""
find_window() { window=$(xdotool search --all --pid "$pid" --onlyvisible --name '^FLV Player zimo$' 2>/dev/null | head -n 1); [ -n "$window" ]; }
check "the main window shows" wait_for find_window
[ -n "$window" ] || { summary; exit 1; }
class=$(xprop -id "$window" WM_CLASS | sed -n 's/.*= "\(.*\)", "\(.*\)"/\2/p')
check "the window's class is the entry's StartupWMClass" equals "$class" "$(key StartupWMClass)"

# The association command: the first menu's second item.
X=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print $4}')
Y=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/ {print $4}')
popups() { [ "$(xdotool search --all --pid "$pid" --onlyvisible --name '' 2>/dev/null | wc -l)" -ge 2 ]; }
xdotool mousemove $((X + 20)) $((Y + 10)) click 1
wait_for popups
xdotool key Down Down Return
associated() { grep -qx 'video/x-flv=zimo.desktop' "$XDG_CONFIG_HOME/mimeapps.list"; }
check "the association names the installed entry" wait_for associated
check "the previous default is kept" grep -qx 'old=other.desktop' "$XDG_CONFIG_HOME/Quorbin/ZP.conf"
check "the default for .flv files" equals "$(mime_says video/x-flv | head -n 1)" \
    "Default application for “video/x-flv”: zimo.desktop"
check "still registered for .flv files" registered zimo.desktop
check "no entry of its own in the user's folder" test ! -e "$XDG_DATA_HOME/applications/zimoFLV.desktop"
xdotool windowactivate --sync "$window" >/dev/null 2>&1
xdotool key Escape
wait "$pid"
pid=""
summary
