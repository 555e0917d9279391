#!/usr/bin/env bash
# Usage: tools/kissfft-sources.sh [BUILD_ROOT]
# Fetches Debian's source package of kissfft into BUILD_ROOT/sources (default build/sources)
# unless it is there already, and prints the folder of the unpacked, patched sources. Every
# build compiles kissfft from them into the plug-in, so no build needs the shared library.
# Needs dpkg-dev; when the machine has no source entries for apt, it derives them from its
# binary entries, which takes root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${VORNIK_BUILD_ROOT:-$root/build}}
dir=$build/sources

found() { ls -d "$dir"/kissfft-*/ 2>/dev/null | head -n 1; }

if [ -z "$(found)" ] || [ ! -f "$(found)/kiss_fftr.c" ]; then
  if ! apt-get source --print-uris kissfft >/dev/null 2>&1; then
    if [ "$(id -u)" -ne 0 ]; then
      echo "kissfft-sources.sh: apt has no source entries; run as root once or add deb-src entries" >&2
      exit 1
    fi
    list=/etc/apt/sources.list.d/debian.sources
    if [ -f "$list" ]; then
      sed -e 's/^Types: deb$/Types: deb-src/' "$list" > /etc/apt/sources.list.d/vornik-deb-src.sources
    else
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/vornik-deb-src.list
    fi
    apt-get update -qq >&2
  fi
  # Unpacked in a scratch folder and moved into place, so an interrupted fetch leaves nothing
  # that a later run would take for the sources.
  mkdir -p "$dir"
  scratch=$(mktemp -d "$dir/.fetch.XXXXXX")
  chmod 755 "$scratch"  # apt downloads as its own user
  trap 'rm -rf "$scratch"' EXIT
  (cd "$scratch" && apt-get source -qq kissfft >&2)
  unpacked=$(ls -d "$scratch"/kissfft-*/ | head -n 1)
  [ -f "$unpacked/kiss_fftr.c" ] || { echo "kissfft-sources.sh: no kiss_fftr.c in $unpacked" >&2; exit 1; }
  rm -rf "$dir/$(basename "$unpacked")"
  mv "$unpacked" "$dir/"
fi
found | sed 's:/$::'
