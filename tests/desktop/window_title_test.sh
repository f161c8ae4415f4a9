#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tessaro developers
# Starts the application on a virtual X server and reads its window's title
# back from both properties: window managers, pagers and tools such as xdotool
# or wmctrl read WM_NAME, newer ones _NET_WM_NAME.
set -euo pipefail
app=$1

if [ -z "${TESSARO_UNDER_XVFB:-}" ]; then
  exec env TESSARO_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb
"$app" &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null || true' EXIT

window=
for _ in $(seq 200); do
  # xwininfo names each window by its WM_NAME, "(has no name)" when it is empty.
  window=$(xwininfo -root -tree | awk '/"Tessaro": \(/ {print $1; exit}')
  [ -n "$window" ] && break
  kill -0 $pid 2>/dev/null || { echo "FAIL: the application ended early" >&2; exit 1; }
  sleep 0.1
done
[ -n "$window" ] || {
  xwininfo -root -tree >&2
  echo "FAIL: no window whose WM_NAME is Tessaro" >&2
  exit 1
}
properties=$(xprop -id "$window" WM_NAME _NET_WM_NAME)
echo "$properties"
grep -qE '^WM_NAME\([A-Z_]+\) = "Tessaro"$' <<<"$properties" || { echo "FAIL: WM_NAME" >&2; exit 1; }
grep -qx '_NET_WM_NAME(UTF8_STRING) = "Tessaro"' <<<"$properties" ||
  { echo "FAIL: _NET_WM_NAME" >&2; exit 1; }
echo "window title: OK"
