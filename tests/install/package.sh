#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# A built package against what the install step promises: its file list (dpkg-deb -c), its
# computed dependencies, and lintian when it is installed (errors fail; warnings are shown).
#   package.sh LAYOUT DEB        DEB may be a folder: its newest tachyon_*.deb; none: skipped
set -u
here=$(dirname "$0")
. "$here/entries.sh"
layout=$1
deb=$2
# A clean clone has no package folder until `make package` runs: that is a skip, not a failure.
if [ -d "$deb" ] || [ ! -e "$deb" ]; then
  deb=$(ls -t "$deb"/tachyon_*.deb 2> /dev/null | head -n 1)
  if [ -z "$deb" ]; then
    echo "no package built (make package): skipped"
    exit 77
  fi
fi
echo "checking $deb"
failures=0
same_entries "the package's files" "$(promised_entries "$layout" /usr /etc /lib/systemd)" "$(package_entries "$deb")" ||
  failures=$((failures + 1))
# The libraries come from the binaries, not from a hand-written list.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libstdc++6 libc6; do
  case "$depends" in
  *"$library "* | *"$library," | *"$library") ;;
  *) echo "Depends lacks $library: $depends"; failures=$((failures + 1)) ;;
  esac
done
if command -v lintian > /dev/null; then
  lintian --fail-on error --display-info "$deb" > "${TMPDIR:-/tmp}/tachyon-lintian.$$" 2>&1
  status=$?
  cat "${TMPDIR:-/tmp}/tachyon-lintian.$$"
  rm -f "${TMPDIR:-/tmp}/tachyon-lintian.$$"
  if [ "$status" -ne 0 ]; then
    echo "lintian: errors (status $status)"
    failures=$((failures + 1))
  else
    echo "lintian: no error"
  fi
else
  echo "lintian is not installed: its check is skipped"
fi
exit "$failures"
