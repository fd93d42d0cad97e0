#!/usr/bin/env bash
# Regenerates the program's pictures (resources/art/) from their SVG sources
# (resources/art-src/, listed in art.list). The generated files are committed; run this after
# changing a source and commit both. Uses the build folder given as $BUILD (default build/).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$root/build}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target artgen -j2

out="$root/resources/art"
rm -rf "$out"
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/tools/artgen/artgen" \
  "$root/resources/art-src/art.list" "$root/resources/art-src" "$out"
