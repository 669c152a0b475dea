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
# Manual pages from the programs' own help.
for page in rivulon hydload; do
    test -f "$prefix/share/man/man1/$page.1"
    grep -q "^\.TH ${page^^} 1" "$prefix/share/man/man1/$page.1"
    grep -q "usage: $page" "$prefix/share/man/man1/$page.1"
done
grep -q "^\.SS batch" "$prefix/share/man/man1/hydload.1"
grep -q "usage: hydload batch" "$prefix/share/man/man1/hydload.1"

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
grep -q './usr/share/man/man1/hydload.1$' <<<"$contents"
dpkg-deb --field "$deb" Package Version
# What the program loads at run time, which the library scan cannot find.
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
grep -q 'libqt6sql6-sqlite' <<<"$depends"
grep -q 'fonts-dejavu-core' <<<"$depends"
grep -q 'libqt6widgets6' <<<"$depends"
grep -q 'mdbtools' <<<"$(dpkg-deb --field "$deb" Recommends)"
echo "install, start, desktop entry, file type and package: all fine"
