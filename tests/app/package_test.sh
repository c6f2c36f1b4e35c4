#!/bin/sh
# The Debian package as a user gets it: `make package` builds it, lintian
# finds neither errors nor warnings, its Depends are the libraries the program
# and its video module link, and the program extracted from it renders the
# same still as the build's and records a short stretch, from another folder
# with the build folders moved away. No path of this machine's source or
# build folder is in any of its files, and its manual page, desktop entry and
# AppStream metadata pass their checkers.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR VERSION BUILD_DATA_DIR BUILD_VIDEO_MODULE
# Exits 77 (skipped) when a tool it needs is missing.
set -eu
src=$1
build=$2
version=$3
data=$4
module=$5

for tool in dpkg-deb dpkg-shlibdeps dpkg-buildflags lintian desktop-file-validate appstreamcli \
    man strings make; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is missing (scripts/install-deps --test installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
package_build="$build/package"
moved=""
restore() {
    for pair in $moved; do mv "${pair#*=}" "${pair%%=*}"; done
    rm -rf "$work"
}
trap restore EXIT
trap 'exit 1' INT TERM
move_away() {
    mv "$1" "$1.away-$$"
    moved="$1=$1.away-$$ $moved"
}
fail() {
    echo "$*"
    exit 1
}

# The build as make package runs it; not the jobs of the make running the tests.
unset MAKEFLAGS MFLAGS MAKELEVEL
if ! make -C "$src" package BUILD="$build" >"$work/make.log" 2>&1; then
    tail -n 30 "$work/make.log"
    fail "make package failed"
fi
deb="$build/vorn_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "make package did not make $deb"
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"

if ! lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
    cat "$work/lintian.log"
    fail "lintian finds errors or warnings"
fi

# Exactly the libraries the show links, whatever their Debian names' numbers.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=$(echo "$depends" | tr ',' '\n' | sed 's/(.*)//; s/ //g')
for name in $names; do
    echo "$name" | grep -Eq '^(libc6|libgcc-s1|libstdc\+\+6|libsdl2-2\.0-0|libxmp4|libpng16-16|libav(codec|format|util)[0-9]+|libsw(scale|resample)[0-9]+)$' ||
        fail "unexpected dependency $name"
done
for wanted in libsdl2 libxmp libpng libavcodec libavformat libavutil libswscale libswresample; do
    echo "$names" | grep -q "^$wanted" || fail "no dependency on $wanted"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
for file in $(find "$root" -type f); do
    case $file in
    *.gz) zcat "$file" | strings -a ;;
    *) strings -a "$file" ;;
    esac | grep -F -e "$src" -e "$build" >/dev/null && fail "${file#"$root"} names a folder of this machine"
done

desktop-file-validate "$root/usr/share/applications/vorn.desktop"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli rejects the metadata"; }
man --warnings -l "$root/usr/share/man/man6/vorn.6.gz" >/dev/null 2>"$work/man.log"
[ ! -s "$work/man.log" ] || { cat "$work/man.log"; fail "the manual page has warnings"; }

mkdir "$work/elsewhere"
cd "$work/elsewhere"
"$build/vorn" --still 3:100 --out "$work/from-build.png"
move_away "$package_build"
move_away "$data"
move_away "$module"
program="$root/usr/games/vorn"
[ "$("$program" --version)" = "vorn $version" ] || fail "the program's version is not $version"
out=$("$program" --still 3:100 --out a.png 2>&1) || fail "the packaged program failed: $out"
cmp "$work/from-build.png" a.png || fail "the packaged program's still differs from the build's"
out=$("$program" --record a.mkv --from 0 --to 1 --scale 1 --fps 10 2>&1) ||
    fail "the packaged program could not record: $out"
[ -s a.mkv ] || fail "the packaged program's recording is empty: $out"
echo "the packaged program rendered a still and recorded a.mkv from its own folders"
