#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (headless).
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/setup.sh"
build="${VELLOC_BUILD_DIR:-$top/build}"
exec ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
