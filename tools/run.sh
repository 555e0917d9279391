#!/usr/bin/env bash
# The main job: installs what the build needs (Debian 12, as root), builds the plug-in and the
# offline host vornik-host (Release), installs the plug-in for local hosts (the VST 2.4 binary
# into ~/.vst, the VST 3 bundle into ~/.vst3) and renders the built-in demo signal through each
# installed copy into a WAV file.
#
# Environment: VORNIK_JOBS (build parallelism, default 2), VORNIK_BUILD_ROOT (default build/),
# VORNIK_VST_DIR (default ~/.vst), VORNIK_VST3_DIR (default ~/.vst3), VORNIK_DEMO_WAV (default
# <build root>/vornik-demo.wav; the VST 3 render goes beside it as vornik-demo-vst3.wav).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${VORNIK_JOBS:-2}
build=${VORNIK_BUILD_ROOT:-$root/build}
dir=$build/run
vst_dir=${VORNIK_VST_DIR:-$HOME/.vst}
vst3_dir=${VORNIK_VST3_DIR:-$HOME/.vst3}
demo=${VORNIK_DEMO_WAV:-$build/vornik-demo.wav}
demo3=${demo%.wav}-vst3.wav
export CCACHE_BASEDIR=$root

packages=(build-essential cmake ninja-build ccache pkg-config dpkg-dev zlib1g-dev libsndfile1-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "run.sh: missing packages: ${missing[*]}; run as root or install them first" >&2
    exit 1
  fi
  echo "== installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# kissfft goes into the plug-in from Debian's source package (tools/kissfft-sources.sh).
kissfft=$(tools/kissfft-sources.sh "$build")

# The GUI's static libraries, built once into the cache outside the checkout.
thirdparty=$(tools/thirdparty.sh linux)

echo "== building the plug-in and vornik-host (Release, $jobs jobs) in $dir"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIK_BUILD_TESTS=OFF \
  -DVORNIK_KISSFFT_SOURCE_DIR="$kissfft" -DVORNIK_THIRDPARTY_DIR="$thirdparty" >/dev/null
cmake --build "$dir" -j"$jobs" --target Vornik vornik-host

plugin=$dir/Vornik.so
bundle=$dir/Vornik.vst3
host=$dir/tools/vornik-host
for made in "$plugin" "$bundle/Contents/x86_64-linux/Vornik.so" "$host"; do
  [ -f "$made" ] || { echo "run.sh: the build made no $made" >&2; exit 1; }
done

mkdir -p "$vst_dir"
install -m 0755 "$plugin" "$vst_dir/Vornik.so"
echo "== installed the plug-in: $vst_dir/Vornik.so"
# The whole bundle, replaced rather than merged so nothing of an older layout stays.
mkdir -p "$vst3_dir"
rm -rf "$vst3_dir/Vornik.vst3"
cp -R "$bundle" "$vst3_dir/Vornik.vst3"
echo "== installed the VST 3 bundle: $vst3_dir/Vornik.vst3"

echo "== rendering the demo signal through $vst_dir/Vornik.so"
mkdir -p "$(dirname "$demo")"
"$host" "$vst_dir/Vornik.so" --out "$demo"

echo "== rendering the demo signal through the VST 3 bundle $vst3_dir/Vornik.vst3"
"$host" --api vst3 "$vst3_dir/Vornik.vst3" --out "$demo3"
