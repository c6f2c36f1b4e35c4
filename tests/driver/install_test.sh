#!/bin/sh
# The installed program finds its data beside itself, wherever it was
# installed: install into a temporary prefix, move the build's data away,
# render a still from another folder and compare it with the build's own.
# Usage: install_test.sh BUILD_DIR BUILD_DATA_DIR
set -eu
build=$1
data=$2
work=$(mktemp -d)
away="$data.away-$$"
restore() {
    if [ -d "$away" ]; then mv "$away" "$data"; fi
    rm -rf "$work"
}
trap restore EXIT
trap 'exit 1' INT TERM

mkdir "$work/elsewhere"
cd "$work/elsewhere"
"$build/driver/vorn" --still 3:100 --out "$work/from-build.png"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
mv "$data" "$away"

if ! out=$("$work/prefix/bin/vorn" --still 3:100 --out a.png 2>&1); then
    echo "the installed program failed: $out"
    exit 1
fi
if [ -n "$out" ]; then
    echo "a still printed: $out"
    exit 1
fi
cmp "$work/from-build.png" a.png
echo "the installed program rendered the still from $work/prefix/share/vorn"
