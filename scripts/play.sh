#!/usr/bin/env bash
# Builds Tavlen (installing what it needs on first use) and plays the demo.
# The demo runs in the build folder, where the build has generated its pictures and music
# under data/. Settings come from app.cfg there; see the README.
#
# A new build folder leaves out the tests and the capture tool, which need packages that
# playing does not (scripts/test.sh installs them and turns both on); a build folder made
# before keeps its choices.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh play
lean=()
[[ -f build/CMakeCache.txt ]] || lean=(-DTAVLEN_TESTS=OFF -DTAVLEN_CAPTURE=OFF)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${lean[@]}" >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
cd build
exec ./tavlen
