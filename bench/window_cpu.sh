#!/bin/sh
# CPU share of the windowed console, measured under Xvfb.
#
# Usage: bench/window_cpu.sh [-b BUILD] [-w WARMUP_S] [-t SECONDS] [-r RUNS] [CART ...]
#   BUILD    build folder holding tamori (default: build next to this script's repo)
#   WARMUP_S seconds left for start-up before measuring (default 5)
#   SECONDS  measured time (default 10)
#   RUNS     runs per cartridge (default 3)
#   CART     cartridges (default: bench/carts/budget_burner.tm and the light
#            real cartridges cakecut and reactor from ../shared/carts)
# Extra options for tamori go in TAMORI_OPTIONS (e.g. "-software_blit 1").
#
# Each run starts `tamori -windowed 1 -run CART` on its own Xvfb display
# (1024x768x24), waits WARMUP_S, then reads the process's utime+stime from
# /proc/PID/stat at the start and end of the measured time. It prints the
# CPU time as a share of one core, per run; CPU time rather than wall-clock
# time, so that other load on the machine does not count.
set -eu
inside=no
if [ "${1:-}" = "--inside" ]; then inside=yes; shift; fi
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
warmup=5
seconds=10
runs=3
while getopts b:w:t:r: option; do
  case $option in
    b) build=$OPTARG ;;
    w) warmup=$OPTARG ;;
    t) seconds=$OPTARG ;;
    r) runs=$OPTARG ;;
    *) sed -n '2,16p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if [ $# -eq 0 ]; then
  set -- "$here/bench/carts/budget_burner.tm" "$here/../shared/carts/cakecut_438b8791.tm" \
    "$here/../shared/carts/reactor_1717d400.tm"
fi
exe="$build/tamori"
[ -x "$exe" ] || { echo "no $exe" >&2; exit 1; }
ticks=$(getconf CLK_TCK)

# utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

# One measured run inside an X server: prints the CPU share in percent.
measure_one() {
  "$exe" -home "$home" -windowed 1 ${TAMORI_OPTIONS:-} -run "$1" >/dev/null 2>&1 &
  pid=$!
  sleep "$warmup"
  before=$(cpu_ticks $pid)
  start=$(date +%s.%N)
  sleep "$seconds"
  after=$(cpu_ticks $pid)
  end=$(date +%s.%N)
  kill $pid
  wait $pid 2>/dev/null || true
  awk -v b="$before" -v a="$after" -v s="$start" -v e="$end" -v hz="$ticks" \
    'BEGIN { printf "%.1f\n", 100 * (a - b) / hz / (e - s) }'
}

if [ $inside = yes ]; then
  home=$(mktemp -d)
  trap 'rm -rf "$home"' EXIT
  measure_one "$1"
  exit 0
fi

for cart in "$@"; do
  printf '%-28s' "$(basename "$cart" .tm)"
  for run in $(seq "$runs"); do
    share=$(xvfb-run -a -s "-screen 0 1024x768x24" env TAMORI_OPTIONS="${TAMORI_OPTIONS:-}" \
      sh "$0" --inside -b "$build" -w "$warmup" -t "$seconds" "$cart")
    printf ' %5s%%' "$share"
  done
  printf '\n'
done
