#!/usr/bin/env bash
# Times the model file on a generated network: the import alone, the import
# with --save (what saving adds), corvia open of the saved file, and checks
# that saving the opened model again gives the same bytes.
# Usage: bench/model-file.sh [SIZE] (region by default; needs a built corvia)
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-region}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tools/generate-network.py --size "$size" "$work/net" > /dev/null
measure() {  # label, command...
  local label=$1; shift
  /usr/bin/time -f "$label: %e s wall, %U s user, %S s system, peak %M KB" "$@" > /dev/null 2> "$work/time.txt" || true
  tail -1 "$work/time.txt"
}
measure "import" nice -n 19 build/bin/corvia import "$work/net"
measure "import --save" nice -n 19 build/bin/corvia import "$work/net" --save "$work/model.json"
echo "model file: $(stat -c %s "$work/model.json") bytes"
measure "open" nice -n 19 build/bin/corvia open "$work/model.json"
nice -n 19 build/bin/corvia open "$work/model.json" --quiet --save "$work/again.json"
cmp -s "$work/model.json" "$work/again.json" && echo "open + save: same bytes" || echo "open + save: FILES DIFFER"
