#!/usr/bin/env bash
# Usage: check-release-scripts.sh WORK_DIR [CMAKE_OPTION...]
# The release's promise of the same bytes from any clone, checked on the
# scripts that keep it:
# - tools/package-zip.sh packs one commit's files twice, staged at two paths
#   in another order, with other file times, umasks and time zones: the two
#   zips must be the same bytes, without extra fields (owner ids, a second
#   time stamp), with a sums file in Windows line endings that sha256sum
#   checks; a zip whose unpacked files do not match their sums, a stage
#   holding a file not listed and a text file without Windows line endings
#   must each fail the run;
# - package.sh's text files (package.sh --texts-only) have Windows line
#   endings;
# - with CMAKE_OPTIONs (the module build's), tools/check-module-reproducible.sh
#   must build from another path than the checkout's, in a fresh work folder,
#   and fail when handed a module that differs.
set -euo pipefail
work=$1
shift
checkout=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

fail() {
    echo "check-release-scripts: $*" >&2
    exit 1
}

# One commit's files, written in another order and at other times each time.
stage() {
    local dir=$1 order=$2 when=$3
    mkdir -p "$dir/models"
    for file in $order; do
        printf 'the file %s\r\n' "$file" >"$dir/$file"
        touch -d "$when" "$dir/$file"
    done
}
files=(readme.txt models/b.txd a.asi models/a.txd)
stage "$work/one/stage" "a.asi models/b.txd readme.txt models/a.txd" "2001-02-03 04:05:06"
stage "$work/two/deeper/stage" "models/a.txd readme.txt models/b.txd a.asi" "2011-12-13 14:15:16"
# The commit's time comes from SOURCE_DATE_EPOCH, as package.sh gets it from git.
export SOURCE_DATE_EPOCH=1262304000
(umask 077 && TZ=Asia/Tokyo "$checkout/tools/package-zip.sh" "$work/one/stage" \
    "$work/one/release.zip" "${files[@]}") || fail "the first packaging failed"
(umask 022 && TZ=America/New_York "$checkout/tools/package-zip.sh" "$work/two/deeper/stage" \
    "$work/two/release.zip" "${files[@]}") || fail "the second packaging failed"
cmp "$work/one/release.zip" "$work/two/release.zip" ||
    fail "the same files packaged at two paths, times and time zones gave two zips"
# The zip's times are the commit's, in UTC, whatever the packer's zone.
listing=$(unzip -Z -T "$work/one/release.zip")
grep -q ' 20100101\.000000 a.asi$' <<<"$listing" ||
    fail "a.asi is not stamped with the commit's time in UTC: $listing"

# Extra fields would carry the packing user's ids: two machines, two zips.
extra=$(zipinfo -v "$work/one/release.zip" | grep 'length of extra field' | grep -v ' 0 bytes') &&
    fail "the zip's entries carry extra fields: $extra"
mkdir -p "$work/unpacked"
unzip -q "$work/one/release.zip" -d "$work/unpacked"
[ "$(grep -c $'\r$' "$work/unpacked/SHA256SUMS.txt")" = "${#files[@]}" ] ||
    fail "SHA256SUMS.txt has lines without Windows line endings"
(cd "$work/unpacked" && sha256sum --check --strict --quiet SHA256SUMS.txt) ||
    fail "sha256sum does not check SHA256SUMS.txt"

# Each a stage the packaging must refuse.
refused() {
    local what=$1 message=$2
    shift 2
    if "$checkout/tools/package-zip.sh" "$@" 2>"$work/refused.log"; then
        fail "$what passed"
    fi
    grep -q "$message" "$work/refused.log" || fail "$what was not told: $(cat "$work/refused.log")"
}
cp -r "$work/one/stage" "$work/extra"
echo left over >"$work/extra/models/c.txd"
refused "a staged file not in the list" "holds other files than the list" "$work/extra" \
    "$work/extra.zip" "${files[@]}"
# Each way a line can lack its Windows ending: a Unix line, a blank one, and
# a last line ended by CR alone.
for text in 'one line\r\nanother\n' 'one line\r\n\nlast\r\n' 'one line\r\nlast\r'; do
    rm -rf "$work/unix"
    cp -r "$work/one/stage" "$work/unix"
    printf "$text" >"$work/unix/readme.txt"
    refused "a readme of $text" "without Windows line endings" "$work/unix" \
        "$work/unix.zip" "${files[@]}"
done

"$checkout/package.sh" --texts-only "$work/texts" || fail "package.sh --texts-only failed"
for text in "$work"/texts/*/*; do
    LC_ALL=C grep -q -e $'[^\r]$' -e '^$' "$text" &&
        fail "package.sh gives ${text#"$work/texts/"} lines without Windows line endings"
done
[ "$(find "$work/texts" -type f | wc -l)" -ge 4 ] || fail "package.sh --texts-only staged no texts"

# An unzip that changes one file it unpacks: the sums check must catch it.
mkdir -p "$work/bin"
cat >"$work/bin/unzip" <<'UNZIP'
#!/bin/sh
/usr/bin/unzip "$@" && for last; do :; done && printf 'changed' >>"$last/readme.txt"
UNZIP
chmod +x "$work/bin/unzip"
if PATH="$work/bin:$PATH" "$checkout/tools/package-zip.sh" "$work/one/stage" "$work/changed.zip" \
    "${files[@]}" 2>"$work/changed.log"; then
    fail "a zip whose readme.txt no longer matches its sum passed the check"
fi
grep -q "does not match its line in SHA256SUMS.txt" "$work/changed.log" ||
    fail "the changed file was not told: $(cat "$work/changed.log")"
echo "package-zip: the same zip from two paths, times and time zones; a changed file fails"

[ $# -gt 0 ] || exit 0
# The double build is handed a module one byte off; it must build in its own
# fresh folder, from the checkout seen at another path, and fail.
module="$work/module/speedometer.dll"
mkdir -p "$work/module"
"$checkout/tools/check-module-reproducible.sh" /dev/null "$work/module-build" "$@" >/dev/null || true
built="$work/module-build/build/at/another/depth/speedometer.dll"
[ -f "$built" ] || fail "the double build made no module"
cp "$built" "$module"
printf '\001' | dd of="$module" bs=1 seek=1024 conv=notrunc status=none
if "$checkout/tools/check-module-reproducible.sh" "$module" "$work/module-build" "$@" >/dev/null; then
    fail "a module that differs by one byte passed the double-build check"
fi
home=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$work/module-build/build/at/another/depth/CMakeCache.txt")
[ "$home" != "$checkout" ] && [ "$(cd "$home" && pwd -P)" = "$(cd "$checkout" && pwd -P)" ] ||
    fail "the double build was made from $home, not the checkout seen at another path"
echo "check-module-reproducible: built from $home, and a module one byte off fails"
