#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tessaro developers
#
# The root helper loads no toolkit's runtime: its ELF NEEDED entries name
# none of Qt, ICU, GLib or PCRE2, and nor does any library they bring in,
# followed through ldd, except what util-linux's libmount needs itself (on
# Debian, libmount loads libselinux, which loads libpcre2-8: every mount tool
# loads it too). Each would be code run as root that the helper has no use
# for.
#
# helper_libraries_test.sh HELPER
set -eu
helper=$1
unwanted='(^|[[:space:]/])lib(Qt[0-9]|icu|glib-|gobject-|gio-|gthread-|gmodule-|pcre2)'
[ -x "$helper" ] || { echo "no helper at $helper"; exit 1; }

needed=$(readelf -d "$helper" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
echo "NEEDED: $(echo $needed)"
direct=$(printf '%s\n' "$needed" | grep -E "$unwanted" || true)
if [ -n "$direct" ]; then
  echo "tessaro-helper itself needs what a root helper must not load:"
  printf '%s\n' "$direct"
  exit 1
fi

libraries=$(ldd "$helper") || { echo "ldd cannot read $helper"; exit 1; }
echo "$libraries"
# What libmount brings in of its own, as every program that reads mounts has it.
libmount=$(printf '%s\n' "$libraries" | sed -n 's/^[[:space:]]*libmount\.so[^ ]* => \([^ ]*\) .*/\1/p')
ofLibmount=""
if [ -n "$libmount" ]; then
  ofLibmount=$(ldd "$libmount" | sed -n 's/^[[:space:]]*\([^ ]*\) => .*/\1/p')
fi
found=0
for library in $(printf '%s\n' "$libraries" | sed -n 's/^[[:space:]]*\([^ ]*\) => .*/\1/p'); do
  printf '%s\n' "$library" | grep -qE "$unwanted" || continue
  if printf '%s\n' "$ofLibmount" | grep -qxF "$library"; then
    echo "$library: libmount's own ($libmount)"
    continue
  fi
  echo "tessaro-helper loads $library, which a root helper must not load"
  found=1
done
[ "$found" -eq 0 ] || exit 1
echo "tessaro-helper loads none of Qt, ICU, GLib or PCRE2 (beyond libmount's own)."
