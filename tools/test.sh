#!/usr/bin/env bash
# Runs every test of the project: installs what it needs (Debian 12, as root), then builds and
# tests native Release, native ASan+UBSan, ThreadSanitizer (threading tests) and the Windows
# x86-64 cross build under Wine. Exits non-zero when any part fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${VORNIK_JOBS:-2}
build=${VORNIK_BUILD_ROOT:-$root/build}
# Paths below the checkout are hashed relative to it, so fresh clones reuse the compile cache.
export CCACHE_BASEDIR=$root

packages=(build-essential cmake ninja-build ccache pkg-config googletest libgtest-dev
          libbenchmark-dev zlib1g-dev libpugixml-dev libsndfile1-dev
          clang libclang-rt-dev dpkg-dev g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 libz-mingw-w64-dev
          wine wine64 file binutils libx11-dev libxext-dev libxtst-dev xvfb fonts-dejavu-core)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# kissfft is compiled into every build from Debian's source package (no build links a shared
# copy, and there is no mingw package).
kissfft=$(tools/kissfft-sources.sh "$build")

failures=()
timings=()
step() {  # step NAME COMMAND...
  local name=$1 started=$SECONDS; shift
  echo "== $name"
  if ! "$@"; then failures+=("$name"); echo "== $name FAILED"; fi
  timings+=("$(printf '%5d s  %s' $((SECONDS - started)) "$name")")
}

# FreeType, libpng, libjpeg-turbo and libtiff from Debian's source packages, built once per
# toolchain into the cache outside the checkout (tools/thirdparty.sh); every stage of one
# toolchain links the same build, sanitizers included.
started=$SECONDS
thirdparty_linux=$(tools/thirdparty.sh linux)
thirdparty_windows=$(tools/thirdparty.sh windows)
timings+=("$(printf '%5d s  %s' $((SECONDS - started)) "third-party libraries")")

configure_build_test() {  # NAME BUILD_DIR CTEST_ARGS -- CMAKE_ARGS...
  local name=$1 dir=$2 ctest_args=$3; shift 3
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null &&
  cmake --build "$dir" -j"$jobs" &&
  (cd "$dir" && ctest --output-on-failure $ctest_args)
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

step "native release" configure_build_test release "$build/release" "" -DCMAKE_BUILD_TYPE=Release \
  -DVORNIK_KISSFFT_SOURCE_DIR="$kissfft" -DVORNIK_THIRDPARTY_DIR="$thirdparty_linux"
step "native asan+ubsan" configure_build_test asan "$build/asan" "" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DVORNIK_SANITIZE=address,undefined" -DVORNIK_KISSFFT_SOURCE_DIR="$kissfft" -DVORNIK_THIRDPARTY_DIR="$thirdparty_linux"
step "native tsan (threading tests)" configure_build_test tsan "$build/tsan" "-L threading" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNIK_SANITIZE=thread -DVORNIK_KISSFFT_SOURCE_DIR="$kissfft" -DVORNIK_THIRDPARTY_DIR="$thirdparty_linux"

# Wine keeps its prefix out of the user's home so that a fresh machine starts clean.
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# A Wine process now and then dies while starting (no output, a few milliseconds in); such a
# program gets one more run. A real failure fails both.
step "windows x86-64 under wine" configure_build_test windows "$build/windows" "--repeat until-pass:2" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DVORNIK_KISSFFT_SOURCE_DIR="$kissfft" -DVORNIK_THIRDPARTY_DIR="$thirdparty_windows"

echo "== stage durations"
printf '%s\n' "${timings[@]}"
printf '%5d s  whole run\n' "$SECONDS"
if [ ${#failures[@]} -gt 0 ]; then
  echo "== failed: ${failures[*]}"
  exit 1
fi
echo "== all test runs passed"
