#!/usr/bin/env bash
# Quick start: set up, build corvia and the plug-in only, and import the
# bundled Quadstone example.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh corvia crvparamicsimporter6
build/bin/corvia import examples/quadstone --save build/quadstone-model.json
