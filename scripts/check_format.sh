#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format
# makes of it with the repository's .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2> /tmp/rivulon-format.log; then
    grep -o '^[^:]*\.\(cpp\|h\)' /tmp/rivulon-format.log | sort -u | sed 's/^/not formatted: /'
    echo "Run: clang-format -i \$(git ls-files '*.cpp' '*.h')"
    exit 1
fi
echo "Formatting: ${#files[@]} files as .clang-format wants them."
