#!/bin/sh
# Includes run downward only: each folder of the show may include its own
# headers and those of the folders listed for it, nothing above. The tools
# stand apart: they include only their own files. Prints every include that
# breaks the order and fails if there is one.
cd "$(dirname "$0")/.." || exit 1

allowed() {
    case $1 in
    core) echo "core" ;;
    assets | render) echo "$1 core" ;;
    metaball | effects) echo "$1 render assets core" ;;
    scenes) echo "scenes effects metaball render assets core" ;;
    music) echo "music assets core" ;;
    show) echo "show music scenes effects metaball render assets core" ;;
    video) echo "video show core" ;;
    sdl) echo "sdl video show music scenes effects metaball render assets core" ;;
    app) echo "app sdl video show music scenes effects metaball render assets core" ;;
    web) echo "web show music scenes effects metaball render assets core" ;;
    esac
}

bad=0
for dir in core assets render metaball effects scenes music show video sdl app web; do
    for file in $(find "$dir" -name '*.cpp' -o -name '*.h' | grep -v node_modules); do
        for target in $(sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' "$file" | sort -u); do
            case " $(allowed "$dir") " in
            *" $target "*) ;;
            *)
                echo "$file includes $target/, which is not below $dir/"
                bad=1
                ;;
            esac
        done
    done
done
# The generator includes only its own files (paths relative to tools/).
for file in $(find tools -name '*.cpp' -o -name '*.h'); do
    for path in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file"); do
        if [ ! -f "tools/$path" ] && [ ! -f "$(dirname "$file")/$path" ]; then
            echo "$file includes $path, which is not the generator's own"
            bad=1
        fi
    done
done
[ $bad = 0 ] && echo "includes run downward"
exit $bad
