#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs a built tree into a folder under the build folder and checks what
# landed there: the three programs, the desktop entry, the icons, the
# AppStream metadata, the manual pages and the service unit, each with the
# validator its readers use.
#   check_install.sh BUILD-DIR
set -uo pipefail

build=$(cd "$1" && pwd)
id=io.github.velloc.Velloc
work=$build/dist-test/install
prefix=$work/prefix
rm -rf "$work"
mkdir -p "$work"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (tools/setup.sh installs it)"; exit 1; }; }
need desktop-file-validate
need appstreamcli
need man
need file

if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi

expected=(
  bin/velloc bin/velloc-host bin/velloc-tally lib/velloc/libvelloc-sound.so
  share/applications/$id.desktop
  share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
  share/man/man6/velloc.6.gz share/man/man6/velloc-host.6.gz share/man/man6/velloc-tally.6.gz
  lib/systemd/system/velloc-host@.service share/doc/velloc/LICENSE
)
for size in 16 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for f in "${expected[@]}"; do
  [ -e "$prefix/$f" ] || fail "$f was not installed"
done
for p in velloc velloc-host velloc-tally; do
  [ -x "$prefix/bin/$p" ] || fail "bin/$p is not executable"
done

# Each PNG is as large as the folder it is in says.
for size in 16 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -f "$png" ] && ! file "$png" | grep -q "PNG image data, $size x $size," && fail "$png is not $size x $size"
done
file "$prefix/share/icons/hicolor/scalable/apps/$id.svg" | grep -q "SVG" || fail "the scalable icon is not SVG"

# Desktop entry.
desktop=$prefix/share/applications/$id.desktop
if ! desktop-file-validate "$desktop" >"$work/desktop.log" 2>&1 || [ -s "$work/desktop.log" ]; then
  cat "$work/desktop.log"
  fail "desktop-file-validate"
fi
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the icon $id"
grep -qx "Exec=velloc" "$desktop" || fail "the desktop entry does not start velloc"
grep -qx "Categories=Game;BoardGame;" "$desktop" || fail "the desktop entry's categories"

# AppStream: no errors and no warnings (pedantic notes may remain).
metainfo=$prefix/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net --pedantic "$metainfo" >"$work/appstream.log" 2>&1
rc=$?
if [ $rc -ne 0 ] || grep -qE '^[EW]:' "$work/appstream.log"; then
  cat "$work/appstream.log"
  fail "appstreamcli validate --no-net"
fi
# One version everywhere: what the programs say, the metainfo's latest
# release, the manual pages and the Debian changelog.
version=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/velloc" --version | sed -n 's/^velloc //p')
[ -n "$version" ] || fail "velloc --version printed no version"
for program in velloc-host velloc-tally; do
  [ "$("$prefix/bin/$program" --version)" = "$program $version" ] || fail "$program --version is not $version"
done
grep -q "<release version=\"$version\" date=\"" "$metainfo" || fail "no release $version with a date"
for page in velloc velloc-host velloc-tally; do
  zcat "$prefix/share/man/man6/$page.6.gz" | head -1 | grep -q "\"Velloc $version\"" || fail "$page.6 is not for $version"
done
head -1 "$(dirname "$0")/../../dist/debian/changelog" | grep -q "($version)" || fail "the changelog's first entry is not $version"
grep -q '<content_rating type="oars-1.1">' "$metainfo" || fail "no OARS content rating"
# Every screenshot named in the metainfo is shipped, at the size it states.
shots=$(grep -o '<image[^>]*>https://[^<]*</image>' "$metainfo")
[ -n "$shots" ] || fail "the metainfo names no screenshot"
while read -r line; do
  [ -n "$line" ] || continue
  name=$(echo "$line" | sed 's|.*/\([^/<]*\)</image>|\1|')
  width=$(echo "$line" | sed -n 's/.*width="\([0-9]*\)".*/\1/p')
  height=$(echo "$line" | sed -n 's/.*height="\([0-9]*\)".*/\1/p')
  shot=$prefix/share/velloc/screenshots/$name
  if [ ! -f "$shot" ]; then
    fail "screenshot $name is not installed"
  elif ! file "$shot" | grep -q "PNG image data, $width x $height,"; then
    fail "screenshot $name is not $width x $height: $(file -b "$shot")"
  fi
done <<<"$shots"

# Manual pages: compressed, and man renders each without a warning.
for page in velloc velloc-host velloc-tally; do
  gz=$prefix/share/man/man6/$page.6.gz
  [ -f "$gz" ] || continue
  gzip -t "$gz" || fail "$page.6.gz is not gzip"
  LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$gz" >"$work/$page.txt" 2>"$work/$page.err"
  if [ -s "$work/$page.err" ]; then
    cat "$work/$page.err"
    fail "man warns about $page.6"
  fi
done
# Each page documents every argument and option.
check_page() {
  local page=$1; shift
  for word in "$@"; do
    grep -qF -- "$word" "$work/$page.txt" || fail "$page.6 does not mention \"$word\""
  done
}
check_page velloc "NAME ADDRESS true" "HOST[:PORT]" "[address]:port" "--port" "VELLOC_NO_UPNP" \
  "~/.config/velloc/qorblobby.ini" "~/.local/share/velloc/Chickenfoottally.tld" "beside the program"
check_page velloc-host "SIGINT" "SIGTERM" "standard error" "velloc-host@"
check_page velloc-tally "show FILE" "compress IN OUT" "decompress IN OUT"
# velloc-host's own list of options and the page agree.
for opt in $("$prefix/bin/velloc-host" --help | grep -oE '^  --[a-z]+'); do
  check_page velloc-host "$opt"
done

# The service unit runs the installed program, one table per port.
unit=$prefix/lib/systemd/system/velloc-host@.service
grep -qxF "ExecStart=$prefix/bin/velloc-host --port %i --name=\${VELLOC_NAME} \$VELLOC_HOST_OPTIONS" "$unit" || fail "the unit's ExecStart: $(grep ExecStart "$unit")"
for key in DynamicUser=yes NoNewPrivileges=yes ProtectSystem=strict PrivateTmp=yes ProtectHome=yes Restart=on-failure; do
  grep -qx "$key" "$unit" || fail "the unit lacks $key"
done
if command -v systemd-analyze >/dev/null; then
  # An instance of the template, as systemctl start velloc-host@7772 loads
  # it; the template beside it is found by name.
  mkdir -p "$work/units"
  cp "$unit" "$work/units/"
  if ! SYSTEMD_LOG_LEVEL=warning systemd-analyze verify --man=no "$work/units/velloc-host@7772.service" \
      >"$work/systemd.log" 2>&1 || grep -q "velloc-host" "$work/systemd.log"; then
    cat "$work/systemd.log"
    fail "systemd-analyze verify"
  fi
else
  echo "note: systemd-analyze is not here; the unit was checked by its keys only"
fi

if [ $failures -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "installed files are complete and valid"
