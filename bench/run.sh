#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the project and runs every benchmark, printing its figures.
# Needs port 7772 free (the solo program's host) and takes up to ten minutes,
# nearly all of it the strength benchmark on two cores.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${VELLOC_BUILD_DIR:-$top/build}"
"$top/tools/setup.sh" >/dev/null
for b in "$build"/bin/bench_*; do
  echo "== $(basename "$b")"
  "$b"
done
