#!/usr/bin/env bash
# Cost of the exports at regional scale: imports a generated network with
# `corvia import` alone, then with --sumo and with --gis to a GeoPackage,
# and prints the CPU seconds (user + system) and wall seconds of each run
# and what each export adds. Read CPU time on a shared machine, wall time
# on a quiet one.
#
#   bench/export-bench.sh [--size region] [--build build] [--work DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
size=region
build=build
work=$(mktemp -d)
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2;;
    --build) build=$2; shift 2;;
    --work) work=$2; shift 2;;
    *) echo "usage: $0 [--size SIZE] [--build DIR] [--work DIR]" >&2; exit 2;;
  esac
done
network="$work/$size"
[ -d "$network" ] || tools/generate-network.py --size "$size" "$network" > /dev/null

cpu() {  # "CPU WALL" seconds of a command
  /usr/bin/time -f "%U %S %e" -o "$work/time" "$@" > "$work/log" 2>&1
  awk '{ printf "%.2f %.2f", $1 + $2, $3 }' "$work/time"
}

rm -rf "$work/out"
plain=$(cpu "$build/bin/corvia" import "$network")
sumo=$(cpu "$build/bin/corvia" import "$network" --sumo "$work/out/net")
gis=$(cpu "$build/bin/corvia" import "$network" --gis "$work/out/net.gpkg")
echo "network: $size ($(grep -c '^link' "$network"/links* | awk -F: '{ s += $2 } END { print s }') link lines)"
adds() {  # what run $1 adds to run $2, CPU and wall
  awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, " "); split(b, y, " "); printf "%.2f s CPU, %.2f s wall", x[1] - y[1], x[2] - y[2] }'
}
echo "import alone:        ${plain% *} s CPU, ${plain#* } s wall"
echo "import + --sumo:     export adds $(adds "$sumo" "$plain")"
echo "import + --gis gpkg: export adds $(adds "$gis" "$plain")"
ls -l "$work/out" | awk 'NR > 1 { printf "  %-22s %8.1f MB\n", $9, $5 / 1e6 }'
