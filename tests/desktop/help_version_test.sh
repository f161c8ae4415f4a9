#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tessaro developers
# tessaro --help and --version answer on standard output and end, with no
# display to open a window on: the xcb platform, which every start of the
# window needs, would abort here.
set -euo pipefail
app=$1
version=$2
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

out=$(run "$app" --version)
[ "$out" = "tessaro $version" ] || { echo "FAIL: --version printed: $out" >&2; exit 1; }
out=$(run LANGUAGE=en LANG=C.UTF-8 "$app" --help)
grep -q '^Usage: tessaro \[OPTION\]' <<<"$out" || { echo "FAIL: --help printed: $out" >&2; exit 1; }
grep -q -- '--version' <<<"$out" || { echo "FAIL: --help names no --version" >&2; exit 1; }
out=$(run LANGUAGE=de LANG=de_DE.UTF-8 "$app" -h)
grep -q '^Aufruf: tessaro' <<<"$out" || { echo "FAIL: German help printed: $out" >&2; exit 1; }
# An option nobody knows is refused with one line and the usage status, as
# tessaro-cli refuses it, without opening anything; Qt's own are left to Qt.
status=0
err=$(run "$app" --bogus 2>&1 >/dev/null) || status=$?
[ "$status" = 2 ] || { echo "FAIL: --bogus ended with $status: $err" >&2; exit 1; }
grep -q "^tessaro: unknown option '--bogus'$" <<<"$err" || { echo "FAIL: --bogus said: $err" >&2; exit 1; }
status=0
err=$(run "$app" -style Fusion --bogus 2>&1 >/dev/null) || status=$?
[ "$status" = 2 ] || { echo "FAIL: -style Fusion --bogus ended with $status: $err" >&2; exit 1; }
# Without a display and without these options the window cannot start.
if run timeout 20 "$app" >/dev/null 2>&1; then
  echo "FAIL: the window started without a display" >&2
  exit 1
fi
echo "help and version without a display: OK"
