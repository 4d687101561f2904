#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the Debian package as the README makes it, and the homepage setting.
#   check-package.sh package BUILD_DIR SCRATCH   cpack -G DEB, then lintian and the contents
#   check-package.sh homepage SOURCE_DIR SCRATCH  a configure with KADENZO_HOMEPAGE set
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

cmd_package() {
  local build=$1 scratch=$2
  rm -rf "$scratch"
  mkdir -p "$scratch"
  (cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >cpack.log 2>&1) ||
    { fail "cpack failed: $(tail -n 20 "$scratch/cpack.log")"; finish; }
  local deb
  deb=$(find "$scratch" -maxdepth 1 -name 'kadenzo_*.deb' -print -quit)
  [[ -n "$deb" ]] || { fail "cpack made no package"; finish; }

  # Debian's own check: no error and no warning (an overridden tag says why
  # in the package's overrides file); the rest is printed for a look.
  lintian --display-info --pedantic --tag-display-limit 0 --fail-on error,warning "$deb" 2>/dev/null ||
    fail "lintian finds errors or warnings in $(basename "$deb")"

  field() { dpkg-deb -f "$deb" "$1"; }
  [[ "$(field Version)" == "$(sed -n 's/^kadenzo (\([^)]*\)).*/\1/p;q' <(zcat "$build/packaging/changelog.Debian.gz"))" ]] ||
    fail "the package's version $(field Version) is not the changelog's"
  field Recommends | grep -qw 'qt6-wayland' || fail "does not recommend qt6-wayland: $(field Recommends)"
  field Depends | grep -qw 'libqt6gui6' || fail "does not depend on libqt6gui6 (X11's plugin): $(field Depends)"
  ! field Depends | grep -q 'qt6-qpa-plugins' || fail "still depends on qt6-qpa-plugins"
  [[ "$(field Maintainer)" == "$(sed -n 's/^KADENZO_PACKAGE_MAINTAINER:STRING=//p' "$build/CMakeCache.txt")" ]] ||
    fail "the Maintainer is not the cache variable's: $(field Maintainer)"
  local homepage
  homepage=$(sed -n 's/^KADENZO_HOMEPAGE:STRING=//p' "$build/CMakeCache.txt")
  [[ "$(field Homepage)" == "$homepage" ]] || fail "Homepage '$(field Homepage)', the build was given '$homepage'"

  local tree="$scratch/tree"
  dpkg-deb -x "$deb" "$tree"
  local doc="$tree/usr/share/doc/kadenzo"
  [[ -f "$doc/copyright" && -f "$doc/changelog.Debian.gz" ]] || fail "no copyright or changelog in $doc"
  [[ -f "$tree/usr/share/man/man1/kadenzo.1.gz" ]] || fail "no manual page"
  if [[ -z "$homepage" ]] && grep -q '<url' "$tree/usr/share/metainfo/io.github.kadenzo.Kadenzo.metainfo.xml"; then
    fail "a build without a homepage puts an address in the metainfo"
  fi
  local data
  for data in res/drums.set 'res/waves/\*' 'res/icon/\*' 'tests/data/fuzz/\*'; do
    grep -q "^Files:.* $data" "$doc/copyright" || fail "the copyright file does not cover $data"
  done
  readelf -d "$tree/usr/lib/kadenzo/kadenzo" | grep -q 'BIND_NOW' || fail "the program is not linked with -z now"
  readelf -h "$tree/usr/lib/kadenzo/kadenzo" | grep -q 'DYN' || fail "the program is not position-independent"
  finish
}

cmd_homepage() {
  local src=$1 scratch=$2 page=https://example.org/kadenzo
  rm -rf "$scratch"
  cmake -S "$src" -B "$scratch/ok" -DKADENZO_TESTS=OFF -DKADENZO_HOMEPAGE="$page" >"$scratch.log" 2>&1 ||
    { fail "configure with a homepage failed: $(tail -n 5 "$scratch.log")"; finish; }
  local metainfo="$scratch/ok/packaging/io.github.kadenzo.Kadenzo.metainfo.xml"
  grep -qF "<url type=\"homepage\">$page</url>" "$metainfo" || fail "the metainfo does not carry the homepage"
  appstreamcli validate --no-net --strict "$metainfo" >/dev/null || fail "appstreamcli rejects the metainfo with a homepage"
  appstream-util validate-relax --nonet "$metainfo" >/dev/null || fail "appstream-util rejects the metainfo with a homepage"
  grep -qF "set(CPACK_DEBIAN_PACKAGE_HOMEPAGE \"$page\")" "$scratch/ok/CPackConfig.cmake" ||
    fail "the package's Homepage is not set"
  grep -qF "Source: $page" "$scratch/ok/packaging/copyright" || fail "the copyright file names no Source"
  grep -qF '#define KADENZO_HOMEPAGE_SHOWN "example.org/kadenzo"' "$scratch/ok/res/generated/BuildInfo.h" ||
    fail "the About box would not show example.org/kadenzo"
  # An address too long for the About box's line, or no web address, is refused.
  local bad
  for bad in https://example.org/a-path-too-long-for-the-line notaurl; do
    if cmake -S "$src" -B "$scratch/bad" -DKADENZO_TESTS=OFF -DKADENZO_HOMEPAGE="$bad" >"$scratch.log" 2>&1; then
      fail "configure accepted KADENZO_HOMEPAGE=$bad"
    fi
    rm -rf "$scratch/bad"
  done
  rm -rf "$scratch"
  finish
}

case "${1:-}" in
  package) shift; cmd_package "$@" ;;
  homepage) shift; cmd_homepage "$@" ;;
  *) echo "usage: $0 package|homepage ..." >&2; exit 2 ;;
esac
