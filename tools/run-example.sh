#!/usr/bin/env bash
# Quick start: set up, build, and import the bundled Quadstone example.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
build/bin/corvia import examples/quadstone --save build/quadstone-model.json
