#!/usr/bin/env bash
# Keeps the windows apart. A window file (under engine/, project/, analysis/,
# scenarios/ or shell/ ui/ folders) includes neither the main window, nor the
# window registry, nor the header of any other registered window: windows
# see the program through shell/window_host.h and each other through the
# interfaces of shell/window_services.h. With that, the includes among the
# windows and the main window cannot form a cycle. Exit 1 names each fault.
set -euo pipefail
cd "$(dirname "$0")/.."

# The registered windows are the */ui/ headers the registry includes.
mapfile -t windows < <(sed -n 's/^#include "\([a-z]*\/ui\/[^"]*\.h\)"/\1/p' shell/window_registry.cpp)

status=0
while IFS= read -r f; do
    own=$(basename "$f"); own=${own%.*}
    while IFS= read -r inc; do
        case "$inc" in
            shell/MDIFrmMain.h | shell/window_registry.h)
                echo "$f: includes $inc; a window sees the host (shell/window_host.h)"
                status=1
                continue ;;
        esac
        for w in "${windows[@]}"; do
            name=$(basename "$w"); name=${name%.*}
            # A window may be split over files named after it (FrmN_pages.cpp).
            if [ "$inc" = "$w" ] && [ "$name" != "$own" ] && [[ "$own" != "${name}_"* ]]; then
                echo "$f: includes the window $inc; windows meet through shell/window_services.h"
                status=1
            fi
        done
    done < <(sed -n 's/^#include "\(.*\)"/\1/p' "$f")
done < <(git ls-files -co --exclude-standard '*/ui/*.cpp' '*/ui/*.h' | grep -E '^(engine|project|analysis|scenarios|shell)/ui/')

if [ $status -eq 0 ]; then
    echo "Window includes: ${#windows[@]} registered windows, none includes the main window or another window."
fi
exit $status
