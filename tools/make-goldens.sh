#!/usr/bin/env bash
# Saves the models that imports must keep byte-identical ("golden" models):
# the two bundled examples, the real network beside the project and the
# generated small and city networks.
#
#   tools/make-goldens.sh [OUTDIR]     write every golden into OUTDIR (default /tmp/goldens)
#   tools/make-goldens.sh --tests      rewrite the small goldens kept in tests/goldens
#   tools/make-goldens.sh --check DIR  import again and compare with the goldens in DIR
#
# The saved log names the imported directory; it is written as $NETWORK so
# that a golden does not depend on where the project is checked out.
set -euo pipefail
cd "$(dirname "$0")/.."
corvia=${CORVIA:-build/bin/corvia}
[ -x "$corvia" ] || { echo "no $corvia: build the project first" >&2; exit 1; }

mode=write
out=/tmp/goldens
case "${1:-}" in
  --tests) mode=tests; out=tests/goldens ;;
  --check) mode=check; out=${2:?--check needs the goldens directory} ;;
  "") ;;
  *) out=$1 ;;
esac
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# name, directory, import options; the generated networks are made afresh.
goldens=(
  "quadstone|examples/quadstone|--variant Quadstone"
  "sias|examples/sias|--variant Sias --units Feet"
  "escenario2|../shared/networks/escenario2|--variant Quadstone"
  "small|$work/small|--variant Quadstone"
  "small-sias|$work/small-sias|--variant Sias"
)
[ "$mode" = tests ] || goldens+=("city|$work/city|--variant Quadstone")

tools/generate-network.py --size small --seed 1 "$work/small" >/dev/null
tools/generate-network.py --size small --variant sias --seed 1 "$work/small-sias" >/dev/null
[ "$mode" = tests ] || tools/generate-network.py --size city --seed 1 "$work/city" >/dev/null

status=0
for entry in "${goldens[@]}"; do
  IFS='|' read -r name dir options <<<"$entry"
  [ -d "$dir" ] || { echo "missing $dir" >&2; status=1; continue; }
  dir=$(cd "$dir" && pwd)
  # shellcheck disable=SC2086
  if ! "$corvia" import "$dir" $options --save "$work/$name.raw.json" >"$work/$name.log" 2>&1; then
    cat "$work/$name.log" >&2
    exit 1
  fi
  # Plain text replacement: the directory is written as it is in the JSON.
  python3 - "$work/$name.raw.json" "$dir" "$work/$name.json" <<'PY'
import sys
data = open(sys.argv[1], encoding="utf-8").read()
open(sys.argv[3], "w", encoding="utf-8").write(data.replace(sys.argv[2], "$NETWORK"))
PY
  if [ "$mode" = check ]; then
    if cmp -s "$work/$name.json" "$out/$name.json"; then
      echo "$name: identical"
    else
      echo "$name: DIFFERS from $out/$name.json" >&2
      status=1
    fi
  else
    cp "$work/$name.json" "$out/$name.json"
    echo "$out/$name.json"
  fi
done
exit $status
