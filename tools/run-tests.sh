#!/usr/bin/env bash
# Quick start: set up, build, and run every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2
