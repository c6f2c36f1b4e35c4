#!/bin/sh
# The installed program finds its data and its video module beside itself,
# wherever it was installed: install into a temporary prefix, move the
# build's data and module away, render a still from another folder and
# compare it with the build's own, then record a short video file.
# Usage: install_test.sh BUILD_DIR BUILD_DATA_DIR BUILD_VIDEO_MODULE
set -eu
build=$1
data=$2
module=$3
work=$(mktemp -d)
away="$data.away-$$"
module_away="$module.away-$$"
restore() {
    if [ -d "$away" ]; then mv "$away" "$data"; fi
    if [ -f "$module_away" ]; then mv "$module_away" "$module"; fi
    rm -rf "$work"
}
trap restore EXIT
trap 'exit 1' INT TERM

mkdir "$work/elsewhere"
cd "$work/elsewhere"
"$build/vorn" --still 3:100 --out "$work/from-build.png"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
mv "$data" "$away"
mv "$module" "$module_away"

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

# One order position (a few seconds of show) at 10 fps, unscaled: quick.
if ! out=$("$work/prefix/bin/vorn" --record a.mkv --from 0 --to 1 --scale 1 --fps 10 2>&1); then
    echo "the installed program could not record: $out"
    exit 1
fi
if [ ! -s a.mkv ]; then
    echo "the installed program's recording is empty: $out"
    exit 1
fi
echo "the installed program recorded a.mkv with its own video module: $out"
