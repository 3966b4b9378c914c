#!/usr/bin/env bash
# Runs the show for a long while on a virtual 1280x720 screen and samples it
# every 10 seconds: frames per second (from the program's --fps-file), its
# resident memory and the error lines in its log. Writes soak.csv and
# soak.png into the output folder and prints a summary.
#
#   bench/soak.sh [--minutes N] [--program PATH] [--out DIR]
#
# Minutes default to SOAK_MINUTES, else 10. Without --program the release
# build's program is built first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=${SOAK_MINUTES:-10}
program=""
out=$root/build/soak
while [ $# -gt 0 ]; do
  case $1 in
    --minutes) minutes=$2; shift 2 ;;
    --program) program=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "soak: unknown argument '$1'" >&2; exit 2 ;;
  esac
done
[[ $minutes =~ ^[0-9]+$ && $minutes -gt 0 ]] || { echo "soak: minutes must be a whole number above 0" >&2; exit 2; }

"$root/scripts/install-deps.sh" gnuplot-nox
if [ -z "$program" ]; then
  cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$root/build/release" --target vellumere
  program=$root/build/release/app/vellumere
fi

rm -rf "$out"
mkdir -p "$out/state" "$out/config"
out=$(cd "$out" && pwd)
log=$out/state/Quorvane/YNXLog.txt
csv=$out/soak.csv

# The shell execs the program, so the pid it writes is the program's.
XDG_STATE_HOME=$out/state XDG_CONFIG_HOME=$out/config \
  xvfb-run -a -s "-noreset -screen 0 1280x720x24" \
  sh -c 'echo $$ > "$0"; exec "$@"' "$out/pid" \
  "$program" --windowed --size 1280x720 --fps-file "$out/fps.txt" /s \
  >"$out/stdout.txt" 2>&1 &
runner=$!
for _ in $(seq 100); do [ -s "$out/pid" ] && break; sleep 0.1; done
pid=$(cat "$out/pid")

# The log's error lines: "ERROR. " and "CRITICAL ERROR. " start them.
errors() {
  if [ -f "$log" ]; then grep -cE '^(CRITICAL )?ERROR\. ' "$log" || true; else echo 0; fi
}

echo "seconds,fps,rss_kb,errors" >"$csv"
start=$(date +%s)
end=$((start + minutes * 60))
alive=1
while [ "$(date +%s)" -lt "$end" ]; do
  sleep 10
  if ! kill -0 "$pid" 2>/dev/null; then alive=0; break; fi
  fps=""
  [ -f "$out/fps.txt" ] && fps=$(awk '$2 > 0 { printf "%.2f", $1 / $2 }' "$out/fps.txt")
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
  echo "$(($(date +%s) - start)),$fps,$rss,$(errors)" | tee -a "$csv"
done

# SIGTERM is how xscreensaver ends its hacks: the show ends cleanly.
status=0
if [ $alive -eq 1 ]; then
  kill -TERM "$pid"
  wait "$runner" || status=$?
else
  wait "$runner" || status=$?
  echo "soak: the program ended early (exit $status); see $log" >&2
fi

gnuplot <<PLOT
set terminal png size 900,500
set output "$out/soak.png"
set datafile separator ","
set key autotitle columnhead
set xlabel "seconds"
set ylabel "frames per second"
set y2label "resident memory (MB)"
set y2tics
set key bottom right
set ytics nomirror
set yrange [0:*]
set y2range [0:*]
plot "$csv" using 1:2 with lines title "fps", "" using 1:(\$3 / 1024) axes x1y2 with lines title "RSS"
PLOT

# The summary: fps over the samples, memory at one minute and at the end.
awk -F, -v status=$status -v alive=$alive '
  NR == 1 { next }
  $2 != "" { n++; sum += $2; if (min == "" || $2 < min) min = $2 }
  $1 >= 60 && rss1 == "" { rss1 = $3 }
  { last = $1; rssEnd = $3; errors = $4 }
  END {
    printf "soak: %d s sampled, exit %d%s\n", last, status, alive ? "" : " (ended early)"
    if (n) printf "fps: min %.1f, avg %.1f\n", min, sum / n
    printf "RSS: %s kB at 1 min, %s kB at %d s\n", rss1 == "" ? "-" : rss1, rssEnd, last
    printf "error lines in the log: %d\n", errors
  }' "$csv"
echo "soak: $csv, $out/soak.png, log $log"
[ $alive -eq 1 ] && [ $status -eq 0 ]
