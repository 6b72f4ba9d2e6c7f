#!/usr/bin/env bash
# Builds Tavlen and runs the whole test suite twice: once as built for playing (gcc), with
# the browser version's tests, and once with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang), which also builds and runs the fuzz targets for a bounded time. Installs what it
# needs on first use.
#
# The tests start their own X servers (Xvfb, and Xorg with the dummy driver where video
# modes matter) on free display numbers and stop them again; nothing needs a display here.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test

jobs=$(nproc)
# A developer's ccache, when there is one, makes the second and later runs quick.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
started=$(date +%s)

# Builds quietly, shows every warning, and the whole log when the build fails.
build() {
  if ! cmake --build "$1" -j"$jobs" >"$1/build.log" 2>&1; then
    cat "$1/build.log"
    exit 1
  fi
  grep -E -A3 'warning:' "$1/build.log" || true
}

# The browser version first: the gcc build registers its tests (label web) once the site is
# there. They drive Debian's Chromium through puppeteer-core, installed from the lockfile
# when it has changed.
echo "== browser version"
scripts/web.sh --build
if ! cmp -s tests/web/package-lock.json tests/web/node_modules/.tavlen-lock; then
  (cd tests/web && npm ci --no-audit --no-fund >/dev/null && cp package-lock.json node_modules/.tavlen-lock)
fi

echo "== build (gcc)"
# Named, because a build folder that scripts/play.sh made has them off.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVLEN_TESTS=ON -DTAVLEN_CAPTURE=ON "${launcher[@]}" >/dev/null
build build
# The whole demo played in real time takes its 73 seconds whatever the build: it runs once,
# in the sanitizer build, where it also checks the whole run for leaks and undefined behaviour.
realtime_run='LoadObjectRunTest.PlaysToTheEnd'

echo "== tests (gcc)"
(cd build && ctest --output-on-failure -j"$jobs" -E "$realtime_run")

echo "== build (clang, AddressSanitizer + UndefinedBehaviorSanitizer, fuzzers)"
cmake -S . -B build-sanitize "${launcher[@]}" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTAVLEN_SANITIZE=ON -DTAVLEN_FUZZ=ON >/dev/null
build build-sanitize
echo "== tests (sanitizers)"
# The browser tests ran above; here they would only replay them beside slower reference frames.
(cd build-sanitize && ctest --output-on-failure -j"$jobs" -LE web)

echo "== all tests passed in $(( $(date +%s) - started )) s"
