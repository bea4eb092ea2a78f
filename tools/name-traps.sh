#!/usr/bin/env bash
# Usage: name-traps.sh DIR COMMAND...
# Runs a test program and names the function behind each fault it reports
# (tests/support/fault_report.cpp prints "fault: ... at MODULE+0xOFFSET"),
# from the unstripped file of that module in DIR. Fails when the program
# does or when any fault was reported.
set -uo pipefail
shopt -s lastpipe # the loop below runs in this shell and keeps its count
dir=$1
shift
faults=0
"$@" 2>&1 | while IFS= read -r line; do
    printf '%s\n' "$line"
    if [[ $line =~ ^fault:.*\ at\ ([^ +]+)\+0x([0-9A-Fa-f]+) ]]; then
        faults=$((faults + 1))
        module=${BASH_REMATCH[1]}
        offset=${BASH_REMATCH[2]}
        file=$(find "$dir" -maxdepth 1 -iname "$module" -print -quit)
        if [[ -z $file ]]; then
            printf 'fault: no %s in %s to name the function from\n' "$module" "$dir"
            continue
        fi
        # addr2line takes addresses at the image's preferred base.
        base=$(i686-w64-mingw32-objdump -p "$file" | awk '$1 == "ImageBase" { print $2 }')
        address=$(printf '0x%X' $((16#$base + 16#$offset)))
        # The function from the symbol table: the last code symbol at or below
        # the address. Line tables would name an inlined callee, or the place
        # of another check of the same function, as its checks may share one
        # trap instruction. Addresses compare as strings of eight hex digits:
        # awk would read one such as 005019e0 as the number 5019.
        function=$(i686-w64-mingw32-nm -n -C --defined-only "$file" |
            awk -v at="$(printf '%08x' "$address")" \
                '$2 ~ /^[Tt]$/ && substr($3, 1, 1) != "." && ("" $1) <= ("" at) { line = $0 } END { print substr(line, 12) }')
        printf 'fault: in %s, near %s\n' "${function:-an unknown function}" \
            "$(i686-w64-mingw32-addr2line -e "$file" "$address")"
    fi
done
status=${PIPESTATUS[0]}
if ((status == 0 && faults > 0)); then
    status=1
fi
exit $status
