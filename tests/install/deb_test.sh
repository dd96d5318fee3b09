#!/usr/bin/env bash
# Checks a built Debian package without installing it on this machine: apt can
# install it from Debian 12's archive (a simulated install resolves its dependencies),
# it holds files under /usr only and has no maintainer scripts (so installing runs
# nothing of its own and removing it leaves nothing behind), and its program, unpacked
# into a throw-away root, prints its version and starts its main window once.
#   deb_test.sh PACKAGE.deb        (on an X server: tests/support/with-x.sh)
set -uo pipefail
deb=$(realpath "$1")
scratch=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
source "$(dirname "$0")/../support/checks.sh"

apt_installs() {
    apt-get install --simulate -q "$deb" >"$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; return 1; }
}
check "apt can install it" apt_installs
check "it declares a CJK font" bash -c "dpkg-deb -f '$deb' Depends | grep -q fonts-noto-cjk"
check "its dependencies come from its libraries" bash -c "dpkg-deb -f '$deb' Depends | grep -q libqt6widgets6"
check "files under /usr only" bash -c "! dpkg-deb -c '$deb' | awk '{print \$6}' | grep -v '^\./usr/' | grep -v '^\./$'"
no_scripts() {
    dpkg-deb -e "$deb" "$scratch/control" || return 1
    local script
    for script in "$scratch"/control/{preinst,postinst,prerm,postrm}; do
        [ -e "$script" ] && { echo "has ${script##*/}"; return 1; }
    done
    return 0
}
check "no maintainer scripts" no_scripts

dpkg-deb -x "$deb" "$scratch/root"
program=$scratch/root/usr/bin/zimo
check "--version" [ "$(env -u DISPLAY "$program" --version)" = "zimo 1.0" ]
private_home "$scratch"
"$program" &
pid=$!
shown() { xdotool search --all --pid "$pid" --onlyvisible --name '^FLV Player zimo$' >/dev/null 2>&1; }
check "the unpacked program shows its main window" wait_for shown
kill "$pid"
wait "$pid" 2>/dev/null
pid=""
summary
