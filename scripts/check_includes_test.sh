#!/usr/bin/env bash
# Plants one forbidden include at a time in a copy of the sources and checks
# that scripts/check_includes.sh refuses each, and passes the clean copy.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

mkdir -p "$tmp/tree"
(cd "$src" && git ls-files -z '*.cpp' '*.h' | tar --null -T - -cf -) | tar -xf - -C "$tmp/tree"
check() { RIVULON_INCLUDE_ROOT="$tmp/tree" "$src/scripts/check_includes.sh" >"$tmp/out" 2>&1; }

check || { cat "$tmp/out"; echo "FAIL: the clean tree is refused"; exit 1; }

plant() { # file include
    cp "$tmp/tree/$1" "$tmp/kept"
    printf '#include "%s"\n' "$2" >>"$tmp/tree/$1"
    if check; then
        echo "FAIL: $1 including $2 passed"
        exit 1
    fi
    grep -q "$1: includes .*$2" "$tmp/out" || { cat "$tmp/out"; echo "FAIL: fault not named"; exit 1; }
    mv "$tmp/kept" "$tmp/tree/$1"
}
plant shell/session.cpp app/MDIFrmMain.h
plant shell/widgets/FlexGrid.cpp project/ui/FrmStart.h
plant project/ui/FrmT.cpp app/window_registry.h
plant project/ui/FrmT.cpp analysis/ui/FrmPie.h
plant mapdb/ui/frmDB.cpp scenarios/ui/FrmComp.h
plant engine/daily_record.cpp shell/session.h
echo "check_includes refuses every planted include"
