#!/usr/bin/env bash
# Usage: package-zip.sh STAGE ZIP FILE...
# Zips the folder STAGE, which must hold exactly the FILEs given (paths from
# STAGE), as ZIP, the same bytes from any clone of one commit:
# - STAGE/SHA256SUMS.txt lists every FILE's SHA-256 and is zipped last;
# - every text file (.txt, .ini), SHA256SUMS.txt too, has Windows line
#   endings, which every Notepad shows as lines: a staged one without them
#   fails the run;
# - entries in the order given, no folder entries, no extra attributes (-X:
#   no owner, no second time stamp);
# - every file mode 644, every time the commit's (SOURCE_DATE_EPOCH when set,
#   else the commit's time from git, else 2000-01-01 00:00:00 UTC without
#   git), as UTC: the zip format keeps local times.
# Then checks the zip: unpacked, every line of its sums file must match and it
# must list every other entry. Beside ZIP it writes the same list
# (NAME.SHA256SUMS.txt for NAME.zip) and the zip's own sum (ZIP.sha256).
set -euo pipefail
stage=$1
zip=$2
shift 2
files=("$@")
checkout=$(cd "$(dirname "$0")/.." && pwd)

fail() {
    echo "package-zip: $*" >&2
    exit 1
}

# What is staged is what is listed: a file staged but not listed would be
# left out of the zip, one listed but not staged is a broken step.
staged=$(cd "$stage" && find . -type f ! -name SHA256SUMS.txt -printf '%P\n' | LC_ALL=C sort)
listed=$(printf '%s\n' "${files[@]}" | LC_ALL=C sort)
[ "$staged" = "$listed" ] ||
    fail "$stage holds other files than the list: $(diff <(echo "$listed") <(echo "$staged") | grep '^[<>]' | tr '\n' ' ')"

for file in "${files[@]}"; do
    case $file in
    *.txt | *.ini)
        # A line without its carriage return, the last one included.
        if [ -s "$stage/$file" ] && { LC_ALL=C grep -q -e $'[^\r]$' -e '^$' "$stage/$file" ||
            [ "$(tail -c 1 "$stage/$file" | od -An -c | tr -d ' ')" != '\n' ]; }; then
            fail "$stage/$file has lines without Windows line endings"
        fi
        ;;
    esac
done

# sha256sum reads the carriage returns back as the line ends they are.
(cd "$stage" && sha256sum -- "${files[@]}") | sed 's/$/\r/' >"$stage/SHA256SUMS.txt"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$checkout" log -1 --format=%ct 2>/dev/null) || true
    SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-946684800}
fi
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

rm -f "$zip"
zip_path=$(cd "$(dirname "$zip")" && pwd)/$(basename "$zip")
# ZIPOPT would add the caller's own options.
(cd "$stage" && env -u ZIPOPT TZ=UTC zip -q -X -D "$zip_path" -- "${files[@]}" SHA256SUMS.txt)

# The check a player can make, made on the zip itself.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip_path" -d "$unpacked"
(cd "$unpacked" && sha256sum --check --strict --quiet SHA256SUMS.txt) ||
    fail "$zip: a file does not match its line in SHA256SUMS.txt"
entries=$(cd "$unpacked" && find . -type f ! -name SHA256SUMS.txt -printf '%P\n' | LC_ALL=C sort)
summed=$(sed 's/^[0-9a-f]*  //; s/\r$//' "$unpacked/SHA256SUMS.txt" | LC_ALL=C sort)
[ "$entries" = "$summed" ] || fail "$zip: SHA256SUMS.txt does not list every file"

cp "$stage/SHA256SUMS.txt" "${zip_path%.zip}.SHA256SUMS.txt"
(cd "$(dirname "$zip_path")" && sha256sum -- "$(basename "$zip_path")") >"$zip_path.sha256"
