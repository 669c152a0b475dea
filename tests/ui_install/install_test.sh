#!/usr/bin/env bash
# Installs the built program into a temporary prefix, checks that the
# installed program finds its guide, example and grid control, starts it
# offscreen on the example project, validates the desktop entry and the
# project file type, and builds the Debian package.
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
report=$("$prefix/bin/rivulon" --check-install)
echo "$report"
grep -q "user guide: $prefix/share/rivulon/help" <<<"$report"
grep -q "example project: $prefix/share/rivulon/examples/Millbrook" <<<"$report"
grep -q "grid control: $prefix/lib/rivulon/libtabulex.so" <<<"$report"
"$prefix/bin/hydload" --help >/dev/null

# The first start copies the example into the application folder and opens
# the project given, without asking; the program then waits for the user.
status=0
RIVULON_HOME=$work/home QT_QPA_PLATFORM=offscreen timeout 5 \
    "$prefix/bin/rivulon" "$prefix/share/rivulon/examples/Millbrook/Millbrook.prj" \
    >"$work/out.txt" 2>&1 || status=$?
if [ "$status" != 124 ]; then
    echo "the installed program ended early (status $status):"
    cat "$work/out.txt"
    exit 1
fi
test -f "$work/home/Input/Millbrook.prj"

desktop-file-validate "$prefix/share/applications/rivulon.desktop"
test -f "$prefix/share/icons/hicolor/64x64/apps/rivulon.png"
update-mime-database "$prefix/share/mime" 2>/dev/null
test -f "$prefix/share/mime/application/x-rivulon-project.xml"
grep -q "BasinName" "$prefix/share/mime/magic"

# An installable Debian package.
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/*.deb)
contents=$(dpkg-deb --contents "$deb")
grep -q './usr/bin/rivulon$' <<<"$contents"
grep -q './usr/share/applications/rivulon.desktop$' <<<"$contents"
grep -q './usr/lib/rivulon/libtabulex.so$' <<<"$contents"
dpkg-deb --field "$deb" Package Version
echo "install, start, desktop entry, file type and package: all fine"
