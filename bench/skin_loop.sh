#!/usr/bin/env bash
# The skin maker's loop on the example skin's 2048x1024 PNG:
# - watch mode (speedometer_preview --watch, as speedometer_skin --watch
#   starts it), ten saves of the PNG, each timed from the save to the first
#   picture of the saved face on the sheet and to the whole sheet, as
#   processor time of the previewer and Wine's server together (what the
#   loop costs, the same on a busy machine as on a quiet one) beside wall
#   time (what a person waits there and then);
# - a cold drop: speedometer_skin given the PNG alone, as Explorer gives a
#   dropped file, with Wine's server stopped first, to the end of the sheet,
#   wall time, median of five.
# Run after a build, on a display of its own:
#   tools/with-display.sh bench/skin_loop.sh
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
kit=$PWD

saves=10
ticks=$(getconf CLK_TCK)
now() { date +%s.%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Waits until the output holds `count` lines with `text`.
wait_for() {
  until [ "$(grep -c "$1" "$3" 2>/dev/null || true)" -ge "$2" ] 2>/dev/null; do sleep 0.01; done
}
# A process of this prefix: its id, by its name's start (and folder).
process_of() {
  local pid
  for pid in $(pgrep "$1"); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      { [ -z "${2:-}" ] || [ "$(readlink "/proc/$pid/cwd")" = "$2" ]; }; then
      echo "$pid"
      return
    fi
  done
  return 1
}
# Processor time, user and system, of the previewer and the server, in ticks.
cpu_ticks() {
  local total=0 pid
  for pid in "$previewer" "$server"; do
    read -r -a stat <"/proc/$pid/stat"
    # Fields 14 and 15, after a name in brackets that holds no space here.
    total=$((total + stat[13] + stat[14]))
  done
  echo "$total"
}
stamp() { stat -c "%y %s" "$1" 2>/dev/null || true; }
seconds() { echo "scale=3; $1 / $ticks" | bc; }

cp light.png skin.png
sheet=speedometer_skin_preview.png
"${run[@]}" ./speedometer_preview.exe --watch skin.png --stop-after $((saves + 1)) >watch.out 2>&1 &
watcher=$!
wait_for "wrote $sheet" 1 watch.out
previewer=$(process_of speedometer_pre "$kit")
server=$(process_of wineserver)
: >watch_times.txt
for save in $(seq 2 $((saves + 1))); do
  sleep 0.5 # the watcher at rest, as between a skin maker's saves
  before=$(stamp "$sheet")
  cpu_started=$(cpu_ticks)
  started=$(now)
  # A save of other pixels, as a paint program writes it.
  if [ $((save % 2)) = 0 ]; then cp other.png skin.png; else cp light.png skin.png; fi
  until [ "$(stamp "$sheet")" != "$before" ]; do sleep 0.01; done
  cpu_first=$(cpu_ticks)
  first=$(now)
  wait_for "wrote $sheet" "$save" watch.out
  cpu_whole=$(cpu_ticks)
  echo "$(seconds $((cpu_first - cpu_started))) $(seconds $((cpu_whole - cpu_started)))" \
    "$(echo "$first - $started" | bc) $(echo "$(now) - $started" | bc)" >>watch_times.txt
done
wait "$watcher"

for drop in $(seq 1 "${DROPS:-5}"); do
  wineserver -k 2>/dev/null || true
  wineserver -w
  started=$(now)
  "${run[@]}" ./speedometer_skin.exe skin.png >drop.out 2>&1
  echo "$(now) - $started" | bc
  grep -q "wrote $sheet" drop.out
done >drop_times.txt

column() { awk -v c="$1" '{ print $c }' watch_times.txt; }
figures() { column "$1" | tr '\n' ' '; }
printf 'watch mode, %d saves, processor time (previewer and Wine server), median:\n' "$saves"
printf '  save to first picture (goal 1 s): %.2f s of %s\n' "$(column 1 | median)" "$(figures 1)"
printf '  save to whole sheet (goal 2 s):   %.2f s of %s\n' "$(column 2 | median)" "$(figures 2)"
printf 'load average at the end: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'watch mode, wall time, median: to first picture %.2f s, to whole sheet %.2f s\n' \
  "$(column 3 | median)" "$(column 4 | median)"
printf 'a cold drop, pack and sheet, wall time (goal 5 s): median %.2f s of %s\n' \
  "$(median <drop_times.txt)" "$(tr '\n' ' ' <drop_times.txt)"
