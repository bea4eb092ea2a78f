#!/usr/bin/env bash
# Usage: check-module-reproducible.sh MODULE WORK_DIR CMAKE_OPTION...
# Builds the module players get a second time, configured with the options
# given (those of the build that made MODULE), from the checkout seen at
# another path and into a build folder at another path and depth, and fails
# when the two files differ in any byte: a time stamp, a path or an input
# list in another order would make two clones of one commit ship different
# modules. WORK_DIR is kept, so a later run rebuilds only what changed.
set -euo pipefail
reference=$1
work=$2
shift 2
checkout=$(cd "$(dirname "$0")/.." && pwd)

mkdir -p "$work"
# The same checkout under another name: the compiler sees other paths.
ln -sfn "$checkout" "$work/checkout-elsewhere"
build="$work/build/at/another/depth"
cmake -S "$work/checkout-elsewhere" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" --target speedometer_module >/dev/null

module="$build/speedometer.dll"
if ! cmp -s "$reference" "$module"; then
    differences=$(cmp -l "$reference" "$module" 2>&1 || true)
    echo "the module built in $build differs from $reference" \
        "($(stat -c %s "$reference") and $(stat -c %s "$module") bytes):"
    head -n 20 <<<"$differences"
    echo "($(wc -l <<<"$differences") lines of differences: offset from 1, octal bytes)"
    exit 1
fi
echo "the module built at two paths is the same, $(stat -c %s "$reference") bytes"
