#!/usr/bin/env bash
# Builds Tavlen (installing what it needs on first use) and plays the demo.
# The demo runs in the build folder, where the build has generated its pictures and music
# under data/. Settings come from app.cfg there; see the README.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
cd build
exec ./tavlen
