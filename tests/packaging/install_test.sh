#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tessaro developers
# cmake --install into a staging directory: every file is there, nothing else is,
# and each validates with the desktop's own tools.
set -euo pipefail
build=$1 stage=$2 prefix=$3 helper=$4
source "$(dirname "$0")/common.sh"

rm -rf "$stage"
DESTDIR=$stage cmake --install "$build" >/dev/null

diff <(expected_files "$prefix" "$helper") <(cd "$stage" && find . -type f | sed 's/^\.//' | sort) ||
  fail "installed files differ from the expected list (< expected, > installed)"
check_installed_files "$stage" "$prefix" "$helper"
rm -rf "$stage"
echo "install into $prefix: OK"
