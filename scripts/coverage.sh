#!/usr/bin/env bash
# Builds Tavlen with gcc's coverage instrumentation in build-coverage/, runs the whole test
# suite there and prints line and branch coverage per room of the code (engine, sound, demo,
# tools, examples) with a total, measured by gcovr. Installs what it needs on first use.
#
# Branches that only exist because of exceptions or that the compiler proved unreachable are
# left out, so the branch figure counts the decisions written in the code.
#
#   scripts/coverage.sh            build, test, report
#   scripts/coverage.sh --report   report again from the last run's counters
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test gcovr

dir=build-coverage
# Atomic counters: the music and the encoder run threads, and racing counters can wrap.
flags="--coverage -fprofile-update=atomic"
if [[ "${1:-}" != "--report" ]]; then
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage >/dev/null
  if ! cmake --build "$dir" -j"$(nproc)" >"$dir/build.log" 2>&1; then
    cat "$dir/build.log"
    exit 1
  fi
  find "$dir" -name '*.gcda' -delete
  # A failing test still leaves its counters; the report is worth having either way.
  (cd "$dir" && ctest -j"$(nproc)" --output-on-failure >ctest.log 2>&1) || echo "coverage: some tests failed, see $dir/ctest.log"
fi

gcovr --root . --object-directory "$dir" --exclude 'tests/' --exclude "$dir/" \
  --exclude-throw-branches --exclude-unreachable-branches --gcov-ignore-parse-errors \
  --exclude-directories "$dir/CMakeFiles" \
  --json-summary "$dir/coverage-summary.json" >"$dir/gcovr.log" 2>&1 || { cat "$dir/gcovr.log"; exit 1; }

python3 - "$dir/coverage-summary.json" <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
rooms = ["engine", "sound", "demo", "tools", "examples"]
totals = {room: [0, 0, 0, 0] for room in rooms + ["total"]}
for f in files:
    room = f["filename"].split("/")[0]
    if room not in totals:
        continue
    for key in (room, "total"):
        t = totals[key]
        t[0] += f["line_covered"]; t[1] += f["line_total"]
        t[2] += f["branch_covered"]; t[3] += f["branch_total"]
pct = lambda a, b: f"{100.0 * a / b:5.1f} %" if b else "    -  "
print(f"{'room':10} {'lines':>22} {'branches':>22}")
for key in rooms + ["total"]:
    lc, lt, bc, bt = totals[key]
    print(f"{key:10} {pct(lc, lt)} {lc:6}/{lt:<6}  {pct(bc, bt)} {bc:6}/{bt:<6}")
PY
