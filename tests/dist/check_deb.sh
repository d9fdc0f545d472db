#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from a built tree with cpack, into a folder under
# the build folder, and checks its name, its files, the dependencies that
# dpkg-shlibdeps computed from the libraries the programs link, and that
# lintian finds nothing to report.
#   check_deb.sh BUILD-DIR
set -uo pipefail

build=$(cd "$1" && pwd)
id=io.github.velloc.Velloc
work=$build/dist-test/deb
rm -rf "$work"
mkdir -p "$work"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for tool in cpack dpkg-deb dpkg-shlibdeps file lintian; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (tools/setup.sh installs it)"; exit 1; }
done

if ! (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work") >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack -G DEB"
  exit 1
fi
deb=$work/velloc_1.0.1.2_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
  ls "$work"
  echo "FAIL: $(basename "$deb") was not made"
  exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velloc ] || fail "Package: $(field Package)"
[ "$(field Version)" = 1.0.1.2 ] || fail "Version: $(field Version)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"

# The files, as dpkg would unpack them.
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/files.txt"
expected=(
  /usr/games/velloc /usr/games/velloc-host /usr/games/velloc-tally
  /usr/share/doc/velloc/copyright /usr/share/doc/velloc/changelog.gz
  /usr/share/applications/$id.desktop
  /usr/share/metainfo/$id.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/$id.svg
  /usr/share/man/man6/velloc.6.gz /usr/share/man/man6/velloc-host.6.gz /usr/share/man/man6/velloc-tally.6.gz
  /usr/lib/systemd/system/velloc-host@.service
  /usr/lib/games/velloc/libvelloc-sound.so
)
for size in 16 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for f in "${expected[@]}"; do
  grep -qxF "$f" "$work/files.txt" || fail "$f is not in the package"
done
grep -q '^/usr/share/velloc/screenshots/.*\.png$' "$work/files.txt" || fail "no screenshot in the package"
# Debian wants manual pages compressed.
grep -E '^/usr/share/man/.*\.[0-9]$' "$work/files.txt" && fail "uncompressed manual pages"
# Owned by root, as dpkg installs them.
dpkg-deb -c "$deb" | awk '{print $2}' | grep -vx 'root/root' && fail "files not owned by root"

# The unit in the package starts the packaged program.
dpkg-deb -x "$deb" "$work/root"
grep -qxF 'ExecStart=/usr/games/velloc-host --port %i --name=${VELLOC_NAME} $VELLOC_HOST_OPTIONS' "$work/root/usr/lib/systemd/system/velloc-host@.service" ||
  fail "the packaged unit's ExecStart: $(grep ExecStart "$work/root/usr/lib/systemd/system/velloc-host@.service")"
# Stripped: the debugging information stays in the build folder.
for p in velloc velloc-host velloc-tally; do
  file "$work/root/usr/games/$p" | grep -q ', stripped' || fail "/usr/games/$p is not stripped"
done

# Depends, computed from the linked libraries and named for the opened ones.
depends=$(field Depends)
echo "Depends: $depends"
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6multimedia6 \
           libcurl4 libjpeg62-turbo libminiupnpc libstrophe0 libavahi-client3; do
  pattern=$(printf '%s' "$lib" | sed 's/[+.]/\\&/g')
  echo "$depends" | grep -qE "(^|, )$pattern[0-9a-z.+-]*( |,|$)" || fail "Depends lacks $lib"
done

# A game in section games, its programs in /usr/games: nothing else there.
grep -q '^/usr/bin/' "$work/files.txt" && fail "programs in /usr/bin"

# Debian's own checks: no error and no warning.
# (Its standard error says no more than that running as root is not
# recommended, unless lintian itself fails.)
if ! lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>"$work/lintian.err"; then
  cat "$work/lintian.log" "$work/lintian.err"
  fail "lintian reports errors or warnings"
fi

if [ $failures -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "$(basename "$deb"): files and Depends as expected"
