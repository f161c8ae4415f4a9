#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tessaro developers
# A fresh Debian machine that has nothing but what ./setup installs must build
# Tessaro and run its tests. This machine may have more installed, so a green
# build here proves nothing by itself: this test finds the Debian package behind
# everything the configured build used (CMake packages, pkg-config modules, the
# programs CMake found) and every program the tests and the README's commands
# run, and fails for each one that neither ./setup's lists nor what they pull in
# (Depends and Pre-Depends, recursively), nor Debian's base system, provide.
#
# usage: setup_test.sh SOURCE_DIR BUILD_DIR
# Exit status 77 (skipped) where dpkg is not there to ask.
set -euo pipefail
source_dir=$1 build_dir=$2
cache=$build_dir/CMakeCache.txt

# Programs the tests, benchmarks and the README's commands run by name.
programs=(
  cmake ctest cpack g++ make pkg-config clang++-14
  losetup lsblk findmnt mount umount blkid sfdisk wipefs partx
  mkfs.fat fsck.fat mkfs.ext4 mkfs.btrfs btrfs mcopy mdir mtype
  fusermount3 f3probe
  xvfb-run Xvfb xauth xwininfo xprop dbus-run-session
  desktop-file-validate appstreamcli xmllint dpkg-deb dpkg-shlibdeps dpkg-parsechangelog
  file lintian man gzip awk dd truncate pkexec python3
)

skip() { echo "SKIPPED: $*"; exit 77; }
command -v dpkg-query >/dev/null && command -v dpkg >/dev/null ||
  skip "no dpkg here: this is not a Debian system, so ./setup's package lists cannot be checked"
[ -r "$cache" ] || { echo "FAIL: no CMakeCache.txt in $build_dir"; exit 1; }

mapfile -t listed < <("$source_dir/setup" --list --tests)
[ ${#listed[@]} -gt 0 ] || { echo "FAIL: ./setup --list --tests names no package"; exit 1; }

# What a machine has once ./setup has run: the base system every Debian root
# starts with (Essential and Priority required), the listed packages, and
# everything they depend on, as the installed packages' own fields say (so the
# check needs no package lists and no network). A dependency on a virtual
# package counts every installed package that provides it; of alternatives,
# every one that is installed.
closure=$(
  dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\t${Essential}\t${Priority}\t${Pre-Depends}, ${Depends}\t${Provides}\n' |
    awk -F'\t' -v listed="${listed[*]}" '
      function bare(name) {
        gsub(/\([^)]*\)/, "", name); gsub(/:[a-z0-9]+/, "", name); gsub(/[ \t]/, "", name)
        return name
      }
      $1 !~ /^ii/ { next }
      {
        pkg = $2; depends[pkg] = $5; providers[pkg] = providers[pkg] " " pkg
        n = split($6, provided, ",")
        for (i = 1; i <= n; i++) { p = bare(provided[i]); if (p != "") providers[p] = providers[p] " " pkg }
        if ($3 == "yes" || $4 == "required") queue[++tail] = pkg
      }
      END {
        n = split(listed, names, " ")
        for (i = 1; i <= n; i++) queue[++tail] = names[i]
        for (head = 1; head <= tail; head++) {
          name = queue[head]
          if (name in seen) continue
          seen[name] = 1
          m = split(providers[name], candidates, " ")
          for (j = 1; j <= m; j++) {
            pkg = candidates[j]
            if (pkg in done) continue
            done[pkg] = 1
            print pkg
            k = split(depends[pkg], deps, /[,|]/)
            for (d = 1; d <= k; d++) { dep = bare(deps[d]); if (dep != "") queue[++tail] = dep }
          }
        }
      }' | sort -u
)

# Everything to check, as "what<TAB>path" lines.
uses=$(
  # CMake packages: each <Name>_DIR the build found, by a file in that folder.
  sed -n 's/^[A-Za-z0-9_]*_DIR:PATH=\(\/.*\)$/\1/p' "$cache" | sort -u | while IFS= read -r dir; do
    file=$(find "$dir" -maxdepth 1 -type f -name '*.cmake' | sort | head -1)
    [ -n "$file" ] && printf 'CMake package %s\t%s\n' "$(basename "$dir")" "$file"
  done
  # The compiler, make and pkg-config CMake runs, and pkg-config's libraries.
  sed -n -E 's/^(CMAKE_[A-Z_]*COMPILER|CMAKE_MAKE_PROGRAM|PKG_CONFIG_EXECUTABLE|pkgcfg_lib_[A-Za-z0-9_.+-]*):FILEPATH=(\/.*)$/\1\t\2/p' "$cache"
  # pkg-config modules, by their .pc file.
  sed -n 's/^__pkg_config_arguments_[A-Za-z0-9_]*:INTERNAL=//p' "$cache" | tr ';' '\n' |
    grep -vE '^(REQUIRED|QUIET|IMPORTED_TARGET|GLOBAL|NO_CMAKE_PATH|NO_CMAKE_ENVIRONMENT_PATH)$' |
    sed 's/[<>=].*//' | sort -u | while IFS= read -r module; do
      printf 'pkg-config module %s\t%s\n' "$module" "$(pkg-config --path "$module" 2>/dev/null || echo "not installed")"
    done
  # Every library a program or test is linked with.
  find "$build_dir" -name link.txt -exec cat {} + | tr ' ' '\n' | grep -E '^/usr/.*\.(so|a)(\.[0-9.]+)?$' |
    sort -u | sed 's/^/linked library\t/'
  # Programs the tests and the README's commands run.
  for program in "${programs[@]}"; do
    printf 'program %s\t%s\n' "$program" "$(PATH=/usr/sbin:/usr/bin:/sbin:/bin command -v "$program" || echo "not installed")"
  done
)

# Which package owns each path, asked of dpkg once. A path may be known to dpkg
# under the name it had before /usr was merged (/sbin/losetup), or only as the
# file a link leads to (/usr/bin/c++).
declare -A aliases
while IFS=$'\t' read -r what path; do
  [ -e "$path" ] || continue
  real=$(readlink -f "$path")
  for candidate in "$path" "$real"; do
    case $candidate in
      /usr/bin/* | /usr/sbin/* | /usr/lib/*) aliases[$candidate]=$candidate; aliases[${candidate#/usr}]=$candidate ;;
      *) aliases[$candidate]=$candidate ;;
    esac
  done
done <<<"$uses"
declare -A owner
while IFS= read -r line; do
  case $line in diversion*) continue ;; esac
  packages=${line%%: /*} file=${line#*: }
  [ -n "${aliases[$file]:-}" ] || continue
  package=${packages%%,*} package=${package%%:*}
  owner[${aliases[$file]}]=$package
done < <(dpkg -S "${!aliases[@]}" 2>/dev/null || true)

status=0
used=()
declare -A reported
while IFS=$'\t' read -r what path; do
  [ -n "$what" ] || continue
  if [ ! -e "$path" ]; then
    echo "FAIL: $what is not there ($path): ./setup --tests should have brought it"
    status=1
    continue
  fi
  case $path in "$source_dir"/* | "$build_dir"/*) continue ;; esac
  package=${owner[$path]:-${owner[$(readlink -f "$path")]:-}}
  if [ -z "$package" ]; then
    echo "FAIL: $what ($path) comes from no Debian package: a fresh machine will not have it"
    status=1
  elif ! grep -qx -- "$package" <<<"$closure"; then
    [ -n "${reported[$package]:-}" ] && continue
    reported[$package]=1
    echo "FAIL: $what ($path) comes from $package, which ./setup neither installs nor pulls in"
    status=1
  else
    used+=("$package")
  fi
done <<<"$uses"

echo "./setup --tests lists ${#listed[@]} packages; the build and the tests use these of them or of what they pull in:"
printf '%s\n' "${used[@]}" | sort -u | tr '\n' ' ' | fold -s -w 100
echo
[ $status -eq 0 ] && echo "everything used comes from ./setup or the base system: OK"
exit $status
