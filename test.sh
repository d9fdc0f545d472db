#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test (headless).
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/setup.sh"
build="${VELLOC_BUILD_DIR:-$top/build}"
# No test may ask a real router to open ports.
export VELLOC_NO_UPNP=1
exec ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
