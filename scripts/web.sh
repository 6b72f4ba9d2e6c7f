#!/usr/bin/env bash
# Builds the browser version of Tavlen into build-web/ and serves its site.
#
#   scripts/web.sh [--build] [--port N]
#
# Installs what it needs on first use (the native build's packages, Debian's emscripten and
# chromium), generates the pictures and music with the native build (build/data), builds the
# engine and the demo for WebAssembly (build-web/) and puts the finished static site in
# build-web/site/: index.html, page.js, tavlen.js, tavlen.wasm, tavlen.data and the icons.
# Any static web server can serve that folder as it is. Then it serves it on
# http://127.0.0.1:8000/ (or --port N) until interrupted; --build stops after building.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: scripts/web.sh [--build] [--port N]" >&2
  exit 2
}

build_only=0
port=8000
while [[ $# -gt 0 ]]; do
  case "$1" in
    --build) build_only=1 ;;
    --port)
      [[ $# -ge 2 && "$2" =~ ^[0-9]+$ && "$2" -ge 1 && "$2" -le 65535 ]] || usage
      port=$2
      shift
      ;;
    *) usage ;;
  esac
  shift
done

# The native build generates the data; emscripten builds the browser version; chromium is
# the browser the tests drive. Both come from Debian, installed only when missing.
scripts/deps.sh play
missing=()
for p in emscripten chromium; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

jobs=$(nproc)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Builds quietly; the whole log when it fails.
quietly() {
  local log=$1
  shift
  if ! "$@" >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
}

echo "== pictures and music (native build/)"
# A build folder made here is as lean as play.sh's; one made before keeps its choices.
lean=()
[[ -f build/CMakeCache.txt ]] || lean=(-DTAVLEN_TESTS=OFF -DTAVLEN_CAPTURE=OFF)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${lean[@]}" "${launcher[@]}" >/dev/null
quietly build/web-data.log cmake --build build -j"$jobs" --target tavlen_data

echo "== browser version (build-web/)"
mkdir -p build-web
# Debian's emcc needs its own acorn for optimised links.
export NODE_PATH=/usr/share/nodejs
quietly build-web/thirdparty.log scripts/web-thirdparty.sh
quietly build-web/configure.log emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release \
  -DTAVLEN_NATIVE_BUILD="$PWD/build"
quietly build-web/build.log cmake --build build-web -j"$jobs" --target tavlen

site=build-web/site
rm -rf "$site"
mkdir -p "$site"
cp web/index.html web/page.js "$site/"
cp build-web/tavlen.js build-web/tavlen.wasm build-web/tavlen.data "$site/"
cp build/icons/256x256/apps/tavlen.png "$site/emblem.png"
cp build/icons/32x32/apps/tavlen.png "$site/icon-32.png"
echo "== site: $site ($(du -sk "$site" | cut -f1) KiB)"

[[ $build_only -eq 1 ]] && exit 0

# Python's http.server comes with emscripten, which needs it, and serves .wasm with its MIME
# type; it binds to the loopback address only.
echo "Serving Tavlen on http://127.0.0.1:$port/ (Ctrl-C stops it)"
cd "$site"
exec python3 -m http.server --bind 127.0.0.1 "$port"
