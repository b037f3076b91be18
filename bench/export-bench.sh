#!/usr/bin/env bash
# Cost of the exports at regional scale: imports a generated network with
# `corvia import` alone, then with --sumo and with --gis to a GeoPackage,
# and prints the CPU seconds (user + system) of each run and what each
# export adds. CPU time, not wall time: the machine may be shared.
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

cpu() {  # CPU seconds of a command
  /usr/bin/time -f "%U %S" -o "$work/time" "$@" > "$work/log" 2>&1
  awk '{ printf "%.2f", $1 + $2 }' "$work/time"
}

rm -rf "$work/out"
plain=$(cpu "$build/bin/corvia" import "$network")
sumo=$(cpu "$build/bin/corvia" import "$network" --sumo "$work/out/net")
gis=$(cpu "$build/bin/corvia" import "$network" --gis "$work/out/net.gpkg")
echo "network: $size ($(grep -c '^link' "$network"/links* | awk -F: '{ s += $2 } END { print s }') link lines)"
echo "import alone:        $plain s CPU"
adds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a - b }'; }
echo "import + --sumo:     $sumo s CPU (export adds $(adds "$sumo" "$plain") s)"
echo "import + --gis gpkg: $gis s CPU (export adds $(adds "$gis" "$plain") s)"
ls -l "$work/out" | awk 'NR > 1 { printf "  %-22s %8.1f MB\n", $9, $5 / 1e6 }'
