# Shared by the packaging tests: the files an installation must contain and how
# each is checked. Paths are relative to the install prefix.
app_id=org.tessaro.Tessaro
policy_rel=share/polkit-1/actions/org.tessaro.helper.policy
desktop_rel=share/applications/$app_id.desktop
icon_rel=share/icons/hicolor/scalable/apps/$app_id.svg
metainfo_rel=share/metainfo/$app_id.metainfo.xml

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The files installed under <root><prefix>, one path per line, sorted.
expected_files() { # prefix helper_path
  printf '%s\n' "$1/bin/tessaro" "$2" "$1/$policy_rel" "$1/$desktop_rel" "$1/$icon_rel" \
    "$1/$metainfo_rel" | sort
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
