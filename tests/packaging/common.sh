# Shared by the packaging tests: the files an installation must contain and how
# each is checked. Paths are relative to the install prefix.
app_id=org.tessaro.Tessaro
policy_rel=share/polkit-1/actions/org.tessaro.helper.policy
desktop_rel=share/applications/$app_id.desktop
icon_rel=share/icons/hicolor/scalable/apps/$app_id.svg
metainfo_rel=share/metainfo/$app_id.metainfo.xml
cli_rel=bin/tessaro-cli
manual_rel=share/man/man1/tessaro-cli.1.gz
completion_rel=share/bash-completion/completions/tessaro-cli

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The files installed under <root><prefix>, one path per line, sorted.
expected_files() { # prefix helper_path
  printf '%s\n' "$1/bin/tessaro" "$2" "$1/$policy_rel" "$1/$desktop_rel" "$1/$icon_rel" \
    "$1/$metainfo_rel" "$1/$cli_rel" "$1/$manual_rel" "$1/$completion_rel" | sort
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

  xmllint --noout "$icon" || fail "icon is not well-formed SVG"

  [ -x "$root$prefix/$cli_rel" ] || fail "tessaro-cli is not installed in $prefix/bin"
  local manual=$root$prefix/$manual_rel
  gzip -t "$manual" || fail "the manual page is not gzip"
  zcat "$manual" | grep -q '^\.TH TESSARO-CLI 1 ' || fail "the manual page has no TESSARO-CLI(1) title"
  for status in 0 1 2 3 4 5 130; do
    zcat "$manual" | grep -qx "\.B $status" || fail "the manual page does not explain exit status $status"
  done
  if command -v groff >/dev/null; then
    local warnings
    warnings=$(zcat "$manual" | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "the manual page does not format cleanly: $warnings"
  fi
  bash -n "$root$prefix/$completion_rel" || fail "the bash completion is not valid bash"
  grep -q 'complete -F _tessaro_cli tessaro-cli' "$root$prefix/$completion_rel" ||
    fail "the bash completion does not complete tessaro-cli"

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
