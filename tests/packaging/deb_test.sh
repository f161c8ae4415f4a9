#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tessaro developers
# cpack -G DEB from the build tree: control fields name the tools Tessaro runs,
# and the package holds exactly the installed files, which validate.
set -euo pipefail
build=$1 out=$2 prefix=$3 helper=$4
source "$(dirname "$0")/common.sh"

rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || {
  cat "$out/cpack.log"
  fail "cpack failed"
}
debs=("$out"/tessaro_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one tessaro_*.deb in $out"
deb=${debs[0]}

[ "$(dpkg-deb -f "$deb" Package)" = tessaro ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = admin ] || fail "section"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no description"
[ "$(dpkg-deb -f "$deb" Recommends)" = 'udisks2, fonts-noto-color-emoji, qt6-translations-l10n' ] ||
  fail "Recommends is not udisks2, the colour emoji font and Qt's translations"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
IFS=',' read -ra alternatives <<<"$depends"
for wanted in util-linux fdisk dosfstools 'pkexec | policykit-1' libqt6core6 libqt6gui6 \
  libqt6widgets6 libqt6svg6; do
  found=no
  for alternative in "${alternatives[@]}"; do
    alternative=$(sed -E 's/^ +//; s/ *\([^)]*\)//g; s/ +$//' <<<"$alternative")
    [ "$alternative" = "$wanted" ] && found=yes
  done
  [ $found = yes ] || fail "Depends lacks '$wanted'"
done

diff <(expected_files "$prefix" "$helper") \
  <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's/^\.//' | sort) ||
  fail "packaged files differ from the expected list (< expected, > packaged)"

root=$out/root
dpkg-deb -x "$deb" "$root"
check_installed_files "$root" "$prefix" "$helper"
gzip -dc "$root$prefix/$changelog_rel" >"$out/changelog"
[ "$(dpkg-parsechangelog -l "$out/changelog" -S Version)" = "$(dpkg-deb -f "$deb" Version)" ] ||
  fail "the changelog's latest entry is not the package version"

# lintian: no errors and no warnings. A tree configured for another prefix than
# /usr (a developer build's default /usr/local) packages into a directory Debian
# leaves to the local administrator, where lintian finds neither copyright nor
# changelog: only the tags that follow from that are let through then.
lintian_args=(--fail-on error,warning --tag-display-limit 0)
if [ "$prefix" != /usr ]; then
  echo "lintian: prefix $prefix, not /usr: the tags about the prefix are left out"
  lintian_args+=(--suppress-tags dir-in-usr-local,file-in-usr-local,file-in-unusual-dir,no-copyright-file,no-changelog,package-contains-documentation-outside-usr-share-doc)
fi
lintian "${lintian_args[@]}" "$deb" || fail "lintian finds faults in the package"
rm -rf "$out"
echo "$(basename "$deb"): OK"
