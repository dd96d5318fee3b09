#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format makes of it with
# the repository's .clang-format, and names the files. -i formats them in place instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
command -v clang-format >/dev/null || "$root/tools/install-deps.sh" clang-format
cd "$root"
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.cpp.in')
if [ "${1:-}" = "-i" ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
# One clang-format per file, on every core.
# shellcheck disable=SC2016
mapfile -t unformatted < <(printf '%s\0' "${files[@]}" | xargs -0 -n 16 -P "$(nproc)" sh -c \
    'for f; do clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"; done' sh |
    sort)
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "Not formatted with clang-format (tools/check-format.sh -i formats them):"
    printf '  %s\n' "${unformatted[@]}"
    exit 1
fi
echo "clang-format: all ${#files[@]} C++ files are formatted"
