#!/bin/sh
# `vorn --help`, the manual page and the bash completion offer the same
# options: the option names of --help's list, of the manual page's OPTIONS
# section and of the completion's word list are compared.
# Usage: options_doc_test.sh VORN MANUAL_PAGE BASH_COMPLETION
set -eu
vorn=$1
manual=$2
completion=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --help: the option column of lines that start with an option ("  --still
# S:T[:F] --out FILE.png"), not the descriptions after it.
"$vorn" --help | sed -n 's/^  \(--[^ ].*\)$/\1/p' | sed 's/   *.*//' |
    grep -o -- '--[a-z-]*' | sort -u >"$work/help"
# The manual page: the tags of the OPTIONS section's entries.
sed -n '/^\.SH OPTIONS/,/^\.SH [^O]/p' "$manual" | sed -n '/^\.TP/{n;p}' | sed 's/\\-/-/g' |
    grep -o -- '--[a-z-]*' | sort -u >"$work/manual"
# The completion's list of options.
sed -n '/options="/,/"$/p' "$completion" | grep -o -- '--[a-z-]*' | sort -u >"$work/completion"

status=0
[ -s "$work/help" ] || { echo "no option found in --help"; status=1; }
for other in manual completion; do
    if ! diff "$work/help" "$work/$other" >"$work/diff"; then
        echo "--help (<) and the $other (>) list different options:"
        cat "$work/diff"
        status=1
    fi
done
[ $status = 0 ] && echo "$(wc -l <"$work/help") options in --help, the manual page and the completion"
exit $status
