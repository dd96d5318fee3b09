#!/usr/bin/env bash
# Runs a command in a locale that writes numbers with a decimal comma (German), as many
# users' desktops do. The locale is compiled from the system's locale sources into a
# scratch folder, so nothing needs to be installed system-wide.
#   with-comma-locale.sh COMMAND...
set -euo pipefail
locales=$(mktemp -d)
trap 'rm -rf "$locales"' EXIT
if ! localedef -i de_DE -f UTF-8 "$locales/de_DE.UTF-8" >/dev/null 2>&1 &&
    [ ! -d "$locales/de_DE.UTF-8" ]; then
    echo "with-comma-locale.sh: could not make the de_DE.UTF-8 locale (package locales)" >&2
    exit 1
fi
export LOCPATH=$locales LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
unset LANGUAGE
set +e
"$@"
