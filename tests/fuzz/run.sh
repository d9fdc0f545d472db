#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the fuzz targets with clang's libFuzzer and sanitizers, and runs
# each for a short, bounded time. Exits 77 (skipped) without clang.
#   tests/fuzz/run.sh [OUTDIR] ; FUZZ_SECONDS=N sets the time per target.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
out="${1:-$top/build/fuzz}"
secs="${FUZZ_SECONDS:-10}"
cxx=$(command -v clang++ || command -v clang++-14 || true)
if [ -z "$cxx" ]; then
  echo "clang++ not found: fuzzing skipped"
  exit 77
fi
mkdir -p "$out"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fPIC)
read -r -a qt <<<"$(pkg-config --cflags --libs Qt6Core)"

build() { # name sources...
  local name=$1; shift
  "$cxx" "${flags[@]}" "$@" -o "$out/$name"
}

cd "$top"
build lzrw1_decode -Iwindows windows/lzrw1kh.cpp tests/fuzz/lzrw1_decode.cpp &
build lzrw1_roundtrip -Iwindows windows/lzrw1kh.cpp tests/fuzz/lzrw1_roundtrip.cpp &
wait
build tallygrid_text -Iwindows -Inet windows/lzrw1kh.cpp windows/tallygrid.cpp tests/fuzz/tallygrid_text.cpp "${qt[@]}" &
build host_dispatch -Ihost -Inet -Irules -Iplayers host/gamehost*.cpp host/logtext.cpp rules/*.cpp \
  players/*.cpp net/wire.cpp net/convert.cpp \
  tests/fuzz/host_dispatch.cpp "${qt[@]}" &
wait
build settings_reader -Iapp -Inet -DSI_NO_CONVERSION app/settingsfile.cpp tests/fuzz/settings_reader.cpp "${qt[@]}"

# Seeds that reach deep into each format.
seeds="$out/seeds"
mkdir -p "$seeds"/{host,settings,lzrw1,grid}
printf '\x01CMD_logininfo+1+1.0.1+Ann\xff\x01CMD_startgame+Ann+3+1+\xff\x01CMD_playbone+1+1+1+1+\xff\x01CMD_hepasses+1+\xff\xfe\xff\x02CMD_justwatch+2+1\xff\xfe\xff\x01CMD_chat+1+hi|clBlack\xff\xfd\xff\xfe\xff' >"$seeds/host/game"
printf '\x01CMD_startgame+A+25+3+\xff\x01CMD_justwatch+1+1\xff\xfe\xff\xfe\xff\xfe\xff\x01CMD_kickhim+1+2+\xff\xfe\xff' >"$seeds/host/bots"
printf '; lobby\r\n[Lobby]\r\nName=Ann\r\n\r\n[Chickenfoot]\r\nTextsize=8\r\nPhrase6=Wow, WTG!\r\nBotspeed=2000\r\n' >"$seeds/settings/ini"
printf 'WRZL\x09\x00\x00\x00\x08\x00\x40\x10\x00abc\x00\x33' >"$seeds/lzrw1/abc"
printf '9\r\n2\r\n0\r\nKlot\r\n2\r\n2\r\n1\r\n1\r\n0\r\n1\r\n0\r\n0\r\n0\r\n2\r\n0\r\n1\r\n0\r\n1\r\n0\r\n0\r\n' >"$seeds/grid/klot"

run() { # name seeds
  local name=$1 corpus="$out/corpus-$1"
  mkdir -p "$corpus"
  cp -n "$2"/* "$corpus"/ 2>/dev/null || true
  echo "== $name ($secs s)"
  if ! "$out/$name" -max_total_time="$secs" -rss_limit_mb=2048 -artifact_prefix="$out/$name-" -max_len=70000 "$corpus" >"$out/$name.log" 2>&1; then
    tail -60 "$out/$name.log"
    return 1
  fi
  grep -E '^(Done|#[0-9]+.*DONE)' "$out/$name.log" | tail -1 || true
}

run lzrw1_decode "$seeds/lzrw1"
run lzrw1_roundtrip "$seeds/lzrw1"
run tallygrid_text "$seeds/grid"
run host_dispatch "$seeds/host"
run settings_reader "$seeds/settings"
