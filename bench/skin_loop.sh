#!/usr/bin/env bash
# The skin maker's loop, timed as a skin maker waits for it, on the example
# skin's 2048x1024 PNG, median of five each:
# - watch mode: from a save of the PNG to its sheet written again, the
#   previewer running (speedometer_preview --watch, as speedometer_skin
#   --watch starts it);
# - a cold drop: speedometer_skin given the PNG alone, as Explorer gives a
#   dropped file, with Wine's server stopped first, to the end of the sheet.
# Run after a build, on a display of its own:
#   tools/with-display.sh bench/skin_loop.sh
# Times are the wall clock's: the figures are what a person waits.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-speedometer}"
run=("$root/tools/wine-run.sh")
kit=build/skin-loop-bench
rm -rf "$kit"
mkdir -p "$kit"
cp build/windows/tools/skin/speedometer_skin.exe build/windows/tools/preview/speedometer_preview.exe \
  build/windows/speedometer.asi "$kit/"
build/atlas-tool/speedometer_atlas --light "$kit/light.png" "$kit/atlas_light.txd" >/dev/null
build/atlas-tool/speedometer_atlas --light --mph "$kit/other.png" "$kit/atlas_other.txd" >/dev/null
cd "$kit"

now() { date +%s.%N; }
median() { sort -n | sed -n 3p; }
# Waits until the output holds `count` lines with `text`.
wait_for() {
  until [ "$(grep -c "$1" "$3" || true)" -ge "$2" ]; do sleep 0.02; done
}

cp light.png skin.png
"${run[@]}" ./speedometer_preview.exe --watch skin.png --stop-after 6 >watch.out 2>&1 &
watcher=$!
wait_for 'wrote speedometer_skin_preview.png' 1 watch.out
for save in 2 3 4 5 6; do
  # A save of other pixels, as a paint program writes it.
  if [ $((save % 2)) = 0 ]; then cp other.png skin.png; else cp light.png skin.png; fi
  started=$(now)
  wait_for 'wrote speedometer_skin_preview.png' "$save" watch.out
  echo "$(now) - $started" | bc
done >watch_times.txt
wait "$watcher"

for drop in 1 2 3 4 5; do
  wineserver -k 2>/dev/null || true
  wineserver -w
  started=$(now)
  "${run[@]}" ./speedometer_skin.exe skin.png >drop.out 2>&1
  echo "$(now) - $started" | bc
  grep -q 'wrote speedometer_skin_preview.png' drop.out
done >drop_times.txt

printf 'watch mode, save to sheet (goal 2 s): median %.2f s of %s\n' "$(median <watch_times.txt)" \
  "$(tr '\n' ' ' <watch_times.txt)"
printf 'a cold drop, pack and sheet (goal 5 s): median %.2f s of %s\n' "$(median <drop_times.txt)" \
  "$(tr '\n' ' ' <drop_times.txt)"
