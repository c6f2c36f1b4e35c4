#!/bin/sh
# The include check catches every form of include that runs the wrong way:
# on a scratch copy of the sources it passes, then fails, naming the file,
# for each include below planted alone.
# Usage: include_layers_test.sh
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$here" || exit 1
git ls-files -- core assets render metaball effects scenes music check show video sdl app web bench fuzz tools tests |
    grep -E '\.(cpp|h|sh)$' | while read -r f; do
    mkdir -p "$work/tree/$(dirname "$f")" && cp "$f" "$work/tree/$f"
done
check() { sh "$work/tree/tests/include_layers.sh" "$work/tree"; }

status=0
if ! check >"$work/out"; then
    echo "the check fails on the sources as they are:" && cat "$work/out"
    exit 1
fi
# file | the line planted at its top
while IFS='|' read -r file line; do
    cp "$work/tree/$file" "$work/keep"
    { printf '%s\n' "$line"; cat "$work/keep"; } >"$work/tree/$file"
    if check >"$work/out"; then
        echo "not caught: '$line' in $file"
        status=1
    elif ! grep -q "^$file includes" "$work/out"; then
        echo "caught, but without naming $file: '$line'" && cat "$work/out"
        status=1
    else
        echo "caught: '$line' in $file"
    fi
    cp "$work/keep" "$work/tree/$file"
done <<'PLANTED'
core/colour.cpp|#include "show/show.h"
core/colour.cpp|#include "../show/show.h"
core/colour.cpp|#  include "show/show.h"
core/colour.cpp|	#include "show/show.h"
core/colour.cpp|#include <show/show.h>
core/colour.cpp|#include "no_such_header.h"
render/tables.cpp|#include "./../scenes/scenes.h"
tests/core/test_colour.cpp|#include "show/show.h"
tests/core/test_colour.cpp|#include "../../app/options.h"
bench/bench_render.cpp|#include "app/options.h"
fuzz/fuzz_pcx.cpp|#include "show/show.h"
tools/gen_main.cpp|#include "core/screen.h"
PLANTED
exit $status
