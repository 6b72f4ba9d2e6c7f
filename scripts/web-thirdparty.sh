#!/usr/bin/env bash
# Builds the C libraries the browser version links, zlib, libpng, libogg and libvorbis, for
# WebAssembly from Debian's own source packages, into build-web/thirdparty/ (include/, lib/).
#
# Emscripten's ports would download their sources at build time, which a machine without
# that network access cannot do; Debian's source packages come through the same apt that
# installed the compiler. The deb-src list lives in a private apt folder under build-web/apt,
# so the machine's own apt sources are never touched. A library whose source version is
# already built is not built again: a second run costs nothing.
#
# Needs emcc (Debian's emscripten) and dpkg-source (dpkg-dev). Usage: scripts/web-thirdparty.sh
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=$ROOT/build-web/thirdparty
APTDIR=$ROOT/build-web/apt
SRCDIR=$APTDIR/src
mkdir -p "$OUT/include" "$OUT/lib" "$SRCDIR"

# package  library file  (the Debian source package that holds it)
LIBS=(zlib:libz.a libpng1.6:libpng16.a libogg:libogg.a libvorbis:libvorbis.a)

all_built=1
for entry in "${LIBS[@]}"; do
    [ -f "$OUT/lib/${entry#*:}" ] || all_built=0
done
[ "$all_built" = 1 ] && exit 0

command -v emcc >/dev/null || { echo "web-thirdparty: emcc not found (apt-get install emscripten)" >&2; exit 1; }
command -v dpkg-source >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q dpkg-dev >/dev/null

# A private apt: the machine's deb822 sources turned into deb-src entries, with lists and
# caches of its own.
APT_OPTS=(-o Dir::Etc::SourceList="$APTDIR/sources.list" -o Dir::Etc::SourceParts="$APTDIR/sources.list.d"
          -o Dir::State::Lists="$APTDIR/lists" -o Dir::Cache="$APTDIR/cache" -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
if [ ! -f "$APTDIR/lists/.updated" ]; then
    mkdir -p "$APTDIR/sources.list.d" "$APTDIR/lists/partial" "$APTDIR/cache/archives/partial"
    : > "$APTDIR/sources.list"
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        sed -e 's/^Types: *deb$/Types: deb-src/' "$f" > "$APTDIR/sources.list.d/$(basename "$f")"
    done
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >> "$APTDIR/sources.list"
    fi
    apt-get "${APT_OPTS[@]}" update -qq
    touch "$APTDIR/lists/.updated"
fi

RELEASE=$(. /etc/os-release && echo "$VERSION_CODENAME")

# Fetches and unpacks source package $1 once; prints its folder.
fetch_source() {
    local pkg=$1
    local dir
    dir=$(find "$SRCDIR" -maxdepth 1 -type d -name "$pkg-*" | head -1)
    if [ -z "$dir" ]; then
        # The release itself: its security suite's mirror may serve binaries only.
        (cd "$SRCDIR" && apt-get "${APT_OPTS[@]}" source -qq "$pkg/$RELEASE" >/dev/null 2>&1)
        dir=$(find "$SRCDIR" -maxdepth 1 -type d -name "$pkg-*" | head -1)
    fi
    [ -n "$dir" ] || { echo "web-thirdparty: no source for $pkg" >&2; exit 1; }
    echo "$dir"
}

CFLAGS=(-O2 -w)

# Compiles the given C files (relative to $1) into $OUT/lib/$2.
build_archive() {
    local dir=$1 archive=$2; shift 2
    local objdir=$APTDIR/obj/${archive%.a}
    rm -rf "$objdir" && mkdir -p "$objdir"
    local objs=()
    for src in "$@"; do
        local obj=$objdir/$(basename "${src%.c}").o
        emcc "${CFLAGS[@]}" "${INCLUDES[@]}" -c "$dir/$src" -o "$obj"
        objs+=("$obj")
    done
    rm -f "$OUT/lib/$archive"
    emar rcs "$OUT/lib/$archive" "${objs[@]}"
}

if [ ! -f "$OUT/lib/libz.a" ]; then
    dir=$(fetch_source zlib)
    INCLUDES=(-I"$dir")
    build_archive "$dir" libz.a adler32.c compress.c crc32.c deflate.c gzclose.c gzlib.c gzread.c \
        gzwrite.c infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c
    cp "$dir/zlib.h" "$dir/zconf.h" "$OUT/include/"
fi

if [ ! -f "$OUT/lib/libpng16.a" ]; then
    dir=$(fetch_source libpng1.6)
    # The prebuilt configuration is libpng's full default feature set.
    cp "$dir/scripts/pnglibconf.h.prebuilt" "$dir/pnglibconf.h"
    INCLUDES=(-I"$dir" -I"$OUT/include" -DPNG_ARM_NEON_OPT=0)
    build_archive "$dir" libpng16.a png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c pngrio.c \
        pngrtran.c pngrutil.c pngset.c pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c
    cp "$dir/png.h" "$dir/pngconf.h" "$dir/pnglibconf.h" "$OUT/include/"
fi

if [ ! -f "$OUT/lib/libogg.a" ]; then
    dir=$(fetch_source libogg)
    mkdir -p "$OUT/include/ogg"
    # What configure would write for a 32-bit target with <stdint.h>.
    cat > "$OUT/include/ogg/config_types.h" <<'EOF'
#ifndef __CONFIG_TYPES_H__
#define __CONFIG_TYPES_H__
#include <stdint.h>
typedef int16_t ogg_int16_t;
typedef uint16_t ogg_uint16_t;
typedef int32_t ogg_int32_t;
typedef uint32_t ogg_uint32_t;
typedef int64_t ogg_int64_t;
typedef uint64_t ogg_uint64_t;
#endif
EOF
    cp "$dir/include/ogg/ogg.h" "$dir/include/ogg/os_types.h" "$OUT/include/ogg/"
    INCLUDES=(-I"$OUT/include")
    build_archive "$dir" libogg.a src/bitwise.c src/framing.c
fi

if [ ! -f "$OUT/lib/libvorbis.a" ]; then
    dir=$(fetch_source libvorbis)
    INCLUDES=(-I"$dir/include" -I"$dir/lib" -I"$OUT/include")
    # The decoder and vorbisfile; the encoder is not needed to play.
    build_archive "$dir" libvorbis.a lib/analysis.c lib/bitrate.c lib/block.c lib/codebook.c \
        lib/envelope.c lib/floor0.c lib/floor1.c lib/info.c lib/lookup.c lib/lpc.c lib/lsp.c \
        lib/mapping0.c lib/mdct.c lib/psy.c lib/registry.c lib/res0.c lib/sharedbook.c \
        lib/smallft.c lib/synthesis.c lib/window.c lib/vorbisfile.c
    mkdir -p "$OUT/include/vorbis"
    cp "$dir/include/vorbis/codec.h" "$dir/include/vorbis/vorbisfile.h" "$OUT/include/vorbis/"
fi
