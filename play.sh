#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and starts a solo game.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/setup.sh"
exec "${VELLOC_BUILD_DIR:-$top/build}/bin/velloc" "$@"
