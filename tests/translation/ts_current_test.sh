#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tessaro developers
# Every .ts file covers the current sources: lupdate, run on a copy, finds no
# new text (unfinished) and no text the sources no longer have (vanished).
# Usage: ts_current_test.sh LUPDATE SOURCE_DIR TRANSLATIONS_DIR
set -euo pipefail
lupdate=$1 src=$2 translations=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Everything but the root helper, whose lines stay English.
find "$src" \( -name '*.cpp' -o -name '*.h' \) -not -path '*/helper/*' | sort >"$scratch/sources"

status=0
shopt -s nullglob
files=("$translations"/tessaro_*.ts)
[ ${#files[@]} -gt 0 ] || { echo "no .ts files in $translations"; exit 1; }
for ts in "${files[@]}"; do
  copy="$scratch/$(basename "$ts")"
  cp "$ts" "$copy"
  "$lupdate" -silent -I "$src" -locations none -tr-function-alias QT_TRANSLATE_NOOP+=TESSARO_TRANSLATABLE \
    "@$scratch/sources" -ts "$copy" >/dev/null 2>"$scratch/lupdate.log"
  stale=$(grep -cE 'type="(unfinished|vanished|obsolete)"' "$copy" || true)
  if [ "$stale" -ne 0 ]; then
    echo "$(basename "$ts"): $stale text(s) new, changed or gone since the last update:"
    grep -B2 -E 'type="(unfinished|vanished|obsolete)"' "$copy" | grep '<source>' | head -20
    echo "Bring it up to date with: cmake --build BUILD --target update_translations;"
    echo "then translate the new texts (see Translations in the README)."
    status=1
  else
    echo "$(basename "$ts"): up to date, $(grep -c '<source>' "$copy") texts"
  fi
done
exit $status
