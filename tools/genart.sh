#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Rebuilds Velloc's pictures and sounds into resources/ and rewrites
# resources/velloc.qrc and velloc_2x.qrc. Usage: tools/genart.sh [build-folder] (default: build
# at the top of the tree). The program's own build never runs this; commit
# what it writes.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$top/build}"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja
fi
cmake --build "$build" --target velloc-genart
QT_QPA_PLATFORM=offscreen "$build/bin/velloc-genart" "$top/resources"
