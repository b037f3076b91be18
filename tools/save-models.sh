#!/usr/bin/env bash
# Saves the models of the bundled examples and of the real network, each
# imported the ways the tests import them, so that a refactoring can be
# checked byte for byte: run it before and after, then `cmp` the folders.
#
#   tools/save-models.sh [CORVIA_BINARY] OUTDIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ $# -eq 2 ]; then corvia="$1"; out="$2"; else corvia="$root/build/bin/corvia"; out="${1:?usage: $0 [CORVIA] OUTDIR}"; fi
mkdir -p "$out"
save() {  # name dir options...
  local name="$1" dir="$2"; shift 2
  QT_QPA_PLATFORM=offscreen "$corvia" import "$dir" "$@" --save "$out/$name.json" >/dev/null 2>&1
}
save quadstone "$root/examples/quadstone" --variant Quadstone
save quadstone-left-feet "$root/examples/quadstone" --variant Quadstone --units Feet --rule left
save sias "$root/examples/sias" --variant Sias --units Feet
save sias-metric "$root/examples/sias" --variant Sias
save escenario2 "$root/../shared/networks/escenario2" --variant Quadstone
echo "models saved in $out"
