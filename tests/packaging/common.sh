# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tessaro developers
# Shared by the packaging tests: the files an installation must contain and how
# each is checked. Paths are relative to the install prefix.
app_id=org.tessaro.Tessaro
policy_rel=share/polkit-1/actions/org.tessaro.helper.policy
desktop_rel=share/applications/$app_id.desktop
icon_rel=share/icons/hicolor/scalable/apps/$app_id.svg
metainfo_rel=share/metainfo/$app_id.metainfo.xml
cli_rel=bin/tessaro-cli
cli_manual_rel=share/man/man1/tessaro-cli.1.gz
completion_rel=share/bash-completion/completions/tessaro-cli
copyright_rel=share/doc/tessaro/copyright
changelog_rel=share/doc/tessaro/changelog.gz
manual_rel=share/man/man1/tessaro.1.gz

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The files installed under <root><prefix>, one path per line, sorted.
expected_files() { # prefix helper_path
  printf '%s\n' "$1/bin/tessaro" "$2" "$(dirname "$2")/tessaro-cli-full.so" "$1/$policy_rel" "$1/$desktop_rel" "$1/$icon_rel" \
    "$1/$metainfo_rel" "$1/$cli_rel" "$1/$cli_manual_rel" "$1/$completion_rel" \
    "$1/$copyright_rel" "$1/$changelog_rel" "$1/$manual_rel" | sort
}

# Checks the installed desktop integration and polkit action under <root><prefix>.
check_installed_files() { # root prefix helper_path
  local root=$1 prefix=$2 helper=$3
  local policy=$root$prefix/$policy_rel desktop=$root$prefix/$desktop_rel
  local icon=$root$prefix/$icon_rel metainfo=$root$prefix/$metainfo_rel

  [ -x "$root$prefix/bin/tessaro" ] || fail "tessaro is not installed in $prefix/bin"
  [ -x "$root$helper" ] || fail "the helper is not installed at $helper"

  desktop-file-validate "$desktop" || fail "desktop entry does not validate"
  grep -qx 'Exec=tessaro' "$desktop" || fail "desktop entry does not start tessaro"
  grep -qx "Icon=$app_id" "$desktop" || fail "desktop entry names another icon"
  grep -qx 'Categories=System;Filesystem;' "$desktop" || fail "desktop entry categories"

  appstreamcli validate --no-net --pedantic "$metainfo" || fail "metainfo does not validate"
  [ "$(xmllint --xpath 'string(/component/launchable)' "$metainfo")" = "$app_id.desktop" ] ||
    fail "metainfo launches another desktop entry"
  xmllint --xpath '/component/screenshots/screenshot/image' "$metainfo" | grep -q 'screenshot.png' ||
    fail "metainfo shows no screenshot"

  [ "$(xmllint --xpath 'string(/component/project_license)' "$metainfo")" = GPL-3.0-or-later ] ||
    fail "metainfo declares another project license"

  xmllint --noout "$icon" || fail "icon is not well-formed SVG"

  [ -x "$root$prefix/$cli_rel" ] || fail "tessaro-cli is not installed in $prefix/bin"
  [ -f "$root$(dirname "$helper")/tessaro-cli-full.so" ] ||
    fail "the full command line is not installed beside the helper"
  local cli_manual=$root$prefix/$cli_manual_rel
  gzip -t "$cli_manual" || fail "the manual page is not gzip"
  zcat "$cli_manual" | grep -q '^\.TH TESSARO-CLI 1 ' || fail "the manual page has no TESSARO-CLI(1) title"
  for status in 0 1 2 3 4 5 6 7 8 9 10 20 74 130 143; do
    zcat "$cli_manual" | grep -qx "\.B $status" || fail "the manual page does not explain exit status $status"
  done
  if command -v groff >/dev/null; then
    local warnings
    warnings=$(zcat "$cli_manual" | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "the manual page does not format cleanly: $warnings"
  fi
  bash -n "$root$prefix/$completion_rel" || fail "the bash completion is not valid bash"
  grep -q 'complete -F _tessaro_cli tessaro-cli' "$root$prefix/$completion_rel" ||
    fail "the bash completion does not complete tessaro-cli"
  # Without the bash-completion package, it offers what `list` shows, loop
  # devices once the word begins with "loop", and every option of a command.
  local offered
  offered=$(bash -c '
    tessaro-cli() { [ "$*" = "list --noheadings" ] && printf "sdb\t32 GB\tdisk\tusb\tSanDisk Ultra\n"; }
    losetup() { echo /dev/loop7; }
    source "$1"
    for word in "" lo loop /dev/s; do
      COMP_WORDS=(tessaro-cli format "$word") COMP_CWORD=2 COMPREPLY=()
      _tessaro_cli
      echo "${COMPREPLY[*]}"
    done
    for command in list check format probe; do
      COMP_WORDS=(tessaro-cli "$command" -) COMP_CWORD=2 COMPREPLY=()
      _tessaro_cli
      echo "${COMPREPLY[*]}"
    done' completion "$root$prefix/$completion_rel")
  [ "$offered" = $'sdb\n\nloop7\n/dev/sdb\n-h --help --all -n --noheadings --json\n-h --help -n --read-only\n-h --help --name --cluster --size -y --yes\n-h --help --full --json -y --yes' ] ||
    fail "the bash completion offers other words: $offered"
  local copyright=$root$prefix/$copyright_rel changelog=$root$prefix/$changelog_rel
  head -1 "$copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not in the machine-readable format"
  awk '/^Files: \*$/ {files = 1} files && /^License:/ {print; exit}' "$copyright" |
    grep -qx 'License: GPL-3+' || fail "copyright does not put every file under GPL-3+"
  grep -A1 -x 'License: GPL-3+' "$copyright" | grep -q '^ This program is free software' &&
    grep -q '/usr/share/common-licenses/GPL-3' "$copyright" ||
    fail "copyright lacks the GPL-3+ license paragraph"
  gzip -t "$changelog" || fail "changelog.gz is not gzip"
  local manual=$root$prefix/$manual_rel warnings
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null) ||
    fail "the manual page does not format"
  [ -z "$warnings" ] || fail "the manual page formats with warnings: $warnings"
  zcat "$manual" | grep -qF "$helper" || fail "the manual page names another helper path"

  local dtd=/usr/share/polkit-1/policyconfig-1.dtd
  if [ -f "$dtd" ]; then
    xmllint --noout --dtdvalid "$dtd" "$policy" || fail "polkit action does not validate"
  else
    xmllint --noout "$policy" || fail "polkit action is not well-formed"
  fi
  local action='/policyconfig/action[@id="org.tessaro.helper"]'
  local exec_path
  exec_path=$(xmllint --xpath "string($action/annotate[@key='org.freedesktop.policykit.exec.path'])" "$policy")
  [ "$exec_path" = "$helper" ] || fail "polkit exec.path is '$exec_path', the helper is at '$helper'"
  [ "$(xmllint --xpath "string($action/defaults/allow_active)" "$policy")" = auth_admin_keep ] ||
    fail "active sessions must authenticate as administrator"
  for field in allow_any allow_inactive; do
    [ "$(xmllint --xpath "string($action/defaults/$field)" "$policy")" = no ] ||
      fail "$field must be no"
  done
  xmllint --xpath "string($action/message)" "$policy" | grep -q 'erase' ||
    fail "polkit message does not say that a drive is about to be erased"
}
