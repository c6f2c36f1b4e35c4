#!/bin/sh
# Includes run downward only: each folder of the show may include its own
# headers and those of the folders listed for it, nothing above. A test of a
# folder (tests/<folder>/) may include what that folder may, plus the tests'
# own support (tests/*.h, its own folder's helpers); the benchmarks and the
# fuzzers have lists of their own. The tools stand apart: they include only
# their own files, and their tests those and the readers they check against.
# Prints every include that breaks the order and fails if there is one.
#
# Every form counts: "core/x.h", "../core/x.h", "x.h" beside the file,
# <core/x.h>, and a '#' or 'include' indented by spaces or tabs.
# Usage: include_layers.sh [ROOT] (default: the tree this script is in)
root=${1:-"$(dirname "$0")/.."}
cd "$root" || exit 1

folders="core assets render metaball effects scenes music safety check show video sdl app web"

allowed() {
    case $1 in
    core) echo "core" ;;
    assets | render) echo "$1 core" ;;
    metaball | effects) echo "$1 render assets core" ;;
    scenes) echo "scenes effects metaball render assets core" ;;
    music) echo "music assets core" ;;
    safety) echo "safety core" ;;
    check) echo "check music scenes effects metaball render assets core" ;;
    show) echo "show safety music scenes effects metaball render assets core" ;;
    video) echo "video show core" ;;
    sdl) echo "sdl video show safety music scenes effects metaball render assets core" ;;
    app) echo "app sdl video show safety check music scenes effects metaball render assets core" ;;
    web) echo "web show safety check music scenes effects metaball render assets core" ;;
    bench) echo "bench sdl video show safety music scenes effects metaball render assets core" ;;
    fuzz) echo "fuzz music render assets core" ;;
    tools) echo "tools" ;;
    tests/tools) echo "tools tests music assets core" ;;
    tests/*) echo "tests $(allowed "${1#tests/}")" ;;
    esac
}

# Sets `target` to the folder an include of the file lands in: a project
# folder, "tools", "tests" (the tests' support), "system" (outside the
# project), or "unknown" (a quoted include that names no file of the
# project). Sets, not prints: no subshell per include.
target_of() { # file, include path, quoted (1) or angle (0)
    dir=${1%/*}
    case $2 in
    ./* | ../*)
        resolved=$(realpath -m --relative-to=. "$dir/$2")
        ;;
    *)
        if [ "$3" = 1 ] && [ -f "$dir/$2" ]; then
            case $2 in
            *../*) resolved=$(realpath -m --relative-to=. "$dir/$2") ;;
            *) resolved="$dir/$2" ;;
            esac
        elif [ "$3" = 1 ] && { [ "${1#tools/}" != "$1" ] || [ "${1#tests/tools/}" != "$1" ]; } &&
            [ -f "tools/$2" ]; then
            resolved="tools/$2"
        elif [ "$3" = 1 ] && [ "${1#tests/}" != "$1" ] && [ -f "tests/$2" ]; then
            resolved="tests/$2"
        else
            resolved=$2
        fi
        ;;
    esac
    target=${resolved%%/*}
    case " $folders bench fuzz tools tests " in
    *" $target "*)
        [ "$target" = "$resolved" ] && target=unknown # no folder at all
        ;;
    *)
        if [ "$3" = 1 ]; then target=unknown; else target=system; fi
        ;;
    esac
}

# The folder whose rules a file follows.
rules_of() {
    case $1 in
    tests/*/*) sub=${1#tests/} && rules="tests/${sub%%/*}" ;;
    tests/*) rules="tests/support" ;;
    *) rules=${1%%/*} ;;
    esac
}

files=$(find $folders bench fuzz tools tests \( -name node_modules -prune \) -o \
    \( -name '*.cpp' -o -name '*.h' \) -print 2>/dev/null)
bad=0
for file in $files; do
    rules_of "$file"
    [ "$rules" = "tests/support" ] && ok="tests $folders tools" || ok=$(allowed "$rules")
    # Every include line: '#', 'include' and the path, spaces or tabs anywhere.
    sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*\(["<]\)\([^">]*\)[">].*/\1 \2/p' \
        "$file" | while read -r mark path; do
        [ "$mark" = '"' ] && quoted=1 || quoted=0
        target_of "$file" "$path" $quoted
        [ "$target" = system ] && continue
        case " $ok " in
        *" $target "*) ;;
        *)
            if [ "$target" = unknown ]; then
                echo "$file includes $path, which is no file of the project"
            else
                echo "$file includes $path ($target/), which is not below ${rules}/"
            fi
            echo bad
            ;;
        esac
    done
done >"${TMPDIR:-/tmp}/include_layers.$$"
grep -v '^bad$' "${TMPDIR:-/tmp}/include_layers.$$"
grep -q '^bad$' "${TMPDIR:-/tmp}/include_layers.$$" && bad=1
rm -f "${TMPDIR:-/tmp}/include_layers.$$"
[ $bad = 0 ] && echo "includes run downward"
exit $bad
