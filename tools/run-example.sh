#!/usr/bin/env bash
# Quick start: set up, build corvia, the plug-in and the GIS module only,
# and import the bundled Quadstone example.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh corvia crvparamicsimporter6 corviagis
build/bin/corvia import examples/quadstone --save build/quadstone-model.json
