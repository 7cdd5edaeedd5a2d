#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the install tests: the entries of a layout as "mode path[ -> target]" lines, sorted,
# from the promised list, from an installed folder, or from a package.

# promised_entries LIST PREFIX SYSCONFDIR [SYSTEMD]   SYSTEMD: where the units go, PREFIX/lib/systemd
promised_entries() {
  grep -v '^#' "$1" | sed -e "s|@PREFIX@|$2|" -e "s|@SYSCONFDIR@|$3|" -e "s|@SYSTEMD@|${4:-$2/lib/systemd}|" |
    LC_ALL=C sort
}

# installed_entries ROOT: files and links below ROOT, and the folders with nothing in them.
installed_entries() {
  (
    cd "$1" || exit 1
    find . \( -type f -o -type l \) -printf '%M %p\n' | while read -r mode path; do
      path=${path#.}
      if [ -L ".$path" ]; then
        echo "$mode $path -> $(readlink ".$path")"
      else
        echo "$mode $path"
      fi
    done
    find . -type d -empty -printf '%M %p/\n' | sed 's| \./| /|'
  ) | LC_ALL=C sort
}

# package_entries DEB: the same from the package's own list (dpkg-deb -c), whose folders all
# appear; only those with nothing below them are kept.
package_entries() {
  dpkg-deb -c "$1" | awk '{ path = $6; sub(/^\./, "", path); rest = "";
      for (i = 7; i <= NF; ++i) rest = rest " " $i;
      print $1, path rest }' |
    awk '{ line[NR] = $0; path[NR] = $2 }
         END { for (i = 1; i <= NR; ++i) {
                 if (substr(path[i], length(path[i])) == "/") {
                   empty = 1
                   for (j = 1; j <= NR; ++j)
                     if (j != i && index(path[j], path[i]) == 1) { empty = 0; break }
                   if (!empty) continue
                 }
                 print line[i] } }' |
    LC_ALL=C sort
}

# same_entries WHAT PROMISED ACTUAL: says what differs, fails when anything does.
same_entries() {
  if [ "$2" = "$3" ]; then
    echo "$1: every promised entry, nothing else"
    return 0
  fi
  echo "$1 differs from the promised layout (- promised only, + present only):"
  printf '%s\n' "$2" > "${TMPDIR:-/tmp}/tachyon-promised.$$"
  printf '%s\n' "$3" > "${TMPDIR:-/tmp}/tachyon-actual.$$"
  diff "${TMPDIR:-/tmp}/tachyon-promised.$$" "${TMPDIR:-/tmp}/tachyon-actual.$$" | grep '^[<>]' | sed -e 's/^</-/' -e 's/^>/+/'
  rm -f "${TMPDIR:-/tmp}/tachyon-promised.$$" "${TMPDIR:-/tmp}/tachyon-actual.$$"
  return 1
}
