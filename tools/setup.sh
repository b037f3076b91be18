#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs (when missing) and
# builds it into build/. Used by the two quick-start commands and by CI.
#
#   tools/setup.sh                 every package and every target (tests,
#                                  benchmarks, fuzz drivers)
#   tools/setup.sh TARGET...       only what building and running those
#                                  targets needs, and only those targets
set -euo pipefail
cd "$(dirname "$0")/.."

# Enough to build and run corvia, the plug-in and the GIS module.
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core
          rapidjson-dev libgdal-dev libsqlite3-dev libmimalloc-dev)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  # The tests run sumo, ogr2ogr and the network generator; the sanitizer
  # build needs clang; lupdate refreshes the translations.
  packages+=(sumo gdal-bin python3 clang libclang-rt-14-dev
             qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ ${#targets[@]} -eq 0 ]; then
  cmake --build build -j "$(nproc)"
else
  cmake --build build -j "$(nproc)" --target "${targets[@]}"
fi
