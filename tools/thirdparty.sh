#!/usr/bin/env bash
# Usage: tools/thirdparty.sh linux|windows
# Builds the static image and font libraries the GUI draws with (FreeType, libpng,
# libjpeg-turbo, libtiff) from Debian's source packages, for the native toolchain or the
# mingw-w64 cross toolchain, and prints the prefix they are installed in. The result is cached
# outside the checkout, in ${VORNIK_CACHE_DIR:-$HOME/.cache/vornik}, keyed by the package
# versions, the compiler and the flags, so fresh clones and every build type of one toolchain
# share one build. Needs dpkg-dev, cmake and ninja; without source entries for apt it derives
# them from its binary entries, which takes root.
set -euo pipefail
shopt -s inherit_errexit
root=$(cd "$(dirname "$0")/.." && pwd)
toolchain=${1:?usage: thirdparty.sh linux|windows}
cache=${VORNIK_CACHE_DIR:-$HOME/.cache/vornik}
packages=(freetype libpng1.6 libjpeg-turbo tiff)

case $toolchain in
  linux) cc=${CC:-cc}; toolchain_args=() ;;
  windows) cc=x86_64-w64-mingw32-gcc-posix
           toolchain_args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake") ;;
  *) echo "thirdparty.sh: unknown toolchain $toolchain" >&2; exit 1 ;;
esac
# Position-independent (the plug-in is a shared library), hidden (nothing leaves the binary),
# optimised; the same for every build type of ours.
cflags="-O2 -fPIC -fvisibility=hidden"

ensure_deb_src() {
  apt-get source --print-uris "${packages[0]}" >/dev/null 2>&1 && return
  if [ "$(id -u)" -ne 0 ]; then
    echo "thirdparty.sh: apt has no source entries; run as root once or add deb-src entries" >&2
    exit 1
  fi
  list=/etc/apt/sources.list.d/debian.sources
  if [ -f "$list" ]; then
    sed -e 's/^Types: deb$/Types: deb-src/' "$list" > /etc/apt/sources.list.d/vornik-deb-src.sources
  else
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/vornik-deb-src.list
  fi
  apt-get update -qq >&2
}

# The unpacked, patched sources of one package, fetched once into the cache.
sources() {  # PACKAGE -> prints the folder
  local p=$1 found
  found=$(ls -d "$cache/sources/$p"/*/ 2>/dev/null | head -n 1 || true)
  if [ -z "$found" ] || [ ! -f "$found/.complete" ]; then
    ensure_deb_src
    rm -rf "$cache/sources/$p"
    mkdir -p "$cache/sources"
    local scratch
    scratch=$(mktemp -d "$cache/sources/.fetch.XXXXXX")
    chmod 755 "$scratch"  # apt downloads as its own user
    # A stale package list, or a mirror without the newest security upload's sources: refresh
    # the list once, then take the newest version the archive still has.
    if ! (cd "$scratch" && apt-get source -qq "$p" >&2); then
      [ "$(id -u)" -eq 0 ] && apt-get update -qq >&2
      local v fetched=
      for v in $(apt-cache showsrc "$p" | awk '/^Version:/ {print $2}' | sort -rV | uniq); do
        rm -rf "${scratch:?}"/*
        if (cd "$scratch" && apt-get source -qq "$p=$v" >&2); then fetched=1; break; fi
      done
      [ -n "$fetched" ] || { rm -rf "$scratch"; echo "thirdparty.sh: could not fetch $p" >&2; exit 1; }
    fi
    local unpacked
    unpacked=$(ls -d "$scratch"/*/ | head -n 1)
    mkdir -p "$cache/sources/$p"
    mv "$unpacked" "$cache/sources/$p/"
    rm -rf "$scratch"
    found=$(ls -d "$cache/sources/$p"/*/ | head -n 1)
    # The Debian version, patches included, keys the builds.
    dpkg-parsechangelog -l "$found/debian/changelog" -S Version > "$found/.complete"
  fi
  echo "${found%/}"
}

dirs=()
versions=""
for p in "${packages[@]}"; do
  d=$(sources "$p")
  dirs+=("$d")
  versions+="$p=$(cat "$d/.complete") "
done
key=$( { echo "$versions"; "$cc" --version | head -n 1; echo "$cflags"; cmake --version | head -n 1;
         sed -n '/^build_all()/,$p' "$0"; } | sha256sum | cut -c1-16)
prefix=$cache/thirdparty/$toolchain-$key
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi

build_all() {
  rm -rf "$prefix" "$prefix.build"
  mkdir -p "$prefix.build"
  local common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=ON
                "-DCMAKE_C_FLAGS=$cflags" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR="$prefix/lib"
                -DCMAKE_PREFIX_PATH="$prefix" "${toolchain_args[@]}")
  if [ "$toolchain" = windows ]; then
    # Our prefix is searched beside the mingw root.
    common+=("-DCMAKE_FIND_ROOT_PATH=/usr/x86_64-w64-mingw32;$prefix")
  fi
  one() {  # NAME SOURCE_DIR ARGS...
    local name=$1 src=$2; shift 2
    echo "thirdparty.sh: building $name for $toolchain" >&2
    cmake -S "$src" -B "$prefix.build/$name" "${common[@]}" "$@" >"$prefix.build/$name.log" 2>&1 &&
    cmake --build "$prefix.build/$name" -j"${VORNIK_JOBS:-2}" >>"$prefix.build/$name.log" 2>&1 &&
    cmake --install "$prefix.build/$name" >>"$prefix.build/$name.log" 2>&1 ||
      { tail -n 30 "$prefix.build/$name.log" >&2; echo "thirdparty.sh: $name failed" >&2; exit 1; }
  }
  # FreeType: TrueType/OpenType outlines; gzip through the zlib the plug-in links anyway (its
  # own copy would define the same names); no HarfBuzz, Brotli, bzip2, PNG.
  one freetype "${dirs[0]}" -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_BZIP2=ON \
      -DFT_DISABLE_PNG=ON -DFT_REQUIRE_ZLIB=ON
  one libpng "${dirs[1]}" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
      -DPNG_BUILD_ZLIB=OFF -DSKIP_INSTALL_PROGRAMS=ON
  # No SIMD: it needs nasm, and decoding a style's few images is not where time goes.
  one libjpeg-turbo "${dirs[2]}" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF \
      -DWITH_JAVA=OFF
  # Deflate and the built-in codecs only (LZW, PackBits, ...): no JPEG-in-TIFF, JBIG, LZMA, zstd,
  # WebP, LERC or libdeflate.
  one tiff "${dirs[3]}" -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
      -Dzlib=ON -Djpeg=OFF -Dold-jpeg=OFF -Djbig=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dlerc=OFF \
      -Dlibdeflate=OFF -Dpixarlog=OFF
  rm -rf "$prefix.build"
  touch "$prefix/.complete"
  # Older builds of this toolchain are not used again.
  local old
  for old in "$cache/thirdparty/$toolchain"-*; do
    [ "$old" = "$prefix" ] || rm -rf "$old"
  done
}
build_all
echo "$prefix"
