#!/usr/bin/env bash
# Keeps the layers apart. Exit 1 names each fault.
#  - A window file (engine/, project/, analysis/, scenarios/ or mapdb/ ui/
#    folders) includes nothing from app/ (the main window, the menu tree, the
#    registry) and no header of another registered window: windows see the
#    program through shell/window_host.h and each other through small service
#    interfaces. So the includes among the windows cannot form a cycle.
#  - shell/, what every window shares, includes nothing from app/ and no
#    window of any area.
#  - The core (common/ and the areas outside their ui/ folders) includes
#    neither shell/ nor app/ nor any window.
# With RIVULON_INCLUDE_ROOT set, the check reads that tree instead (its test
# plants faults in a copy).
set -euo pipefail
cd "${RIVULON_INCLUDE_ROOT:-$(dirname "$0")/..}"
exec python3 - <<'PY'
import os, re, subprocess, sys

AREAS = ("engine", "project", "analysis", "scenarios", "mapdb")
CORE = ("common", "calibration", "bmi") + AREAS
include = re.compile(r'^#include "([^"]+)"', re.M)

try:
    files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "*.cpp", "*.h"],
                           check=True, capture_output=True, text=True).stdout.split()
except (OSError, subprocess.CalledProcessError):
    files = [os.path.relpath(os.path.join(d, f)) for d, _, fs in os.walk(".") for f in fs
             if f.endswith((".cpp", ".h"))]

def includes_of(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return include.findall(f.read())

def is_window(path):
    parts = path.split("/")
    return len(parts) == 3 and parts[0] in AREAS and parts[1] == "ui"

def stem(path):
    return os.path.splitext(os.path.basename(path))[0]

# The registered windows are the */ui/ headers the registry includes.
windows = [i for i in includes_of("app/window_registry.cpp") if is_window(i)]
faults = []
for f in sorted(files):
    top = f.split("/")[0]
    for inc in includes_of(f):
        if is_window(f):
            if inc.startswith("app/"):
                faults.append(f"{f}: includes {inc}; a window sees the host (shell/window_host.h)")
            elif inc in windows and stem(inc) != stem(f) and not stem(f).startswith(stem(inc) + "_"):
                # A window may be split over files named after it (FrmN_pages.cpp).
                faults.append(f"{f}: includes the window {inc}; windows meet through service interfaces")
        elif top == "shell":
            if inc.startswith("app/"):
                faults.append(f"{f}: includes {inc}; shell/ is shared by the windows and may not see the program's root")
            elif is_window(inc):
                faults.append(f"{f}: includes the window {inc}; shell/ may not know any window")
        elif top in CORE:
            if inc.startswith(("app/", "shell/")) or is_window(inc):
                faults.append(f"{f}: includes {inc}; the core knows no window")

print("\n".join(faults) if faults else
      f"Includes: {len(windows)} registered windows, none includes the program's root (app/) "
      "or another window; shell/ and the core include no window.")
sys.exit(1 if faults else 0)
PY
