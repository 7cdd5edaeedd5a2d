#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop files as their own validators see them: the menu entry, the AppStream metadata
# (warnings count as failures too) and the manual page (checked the way lintian does). A missing
# validator skips its check; with none installed the test is skipped (scripts/install-deps.sh
# installs them).
#   validate.sh DESKTOP_FILE METAINFO_FILE MANUAL_PAGE
set -u
desktop=$1
metainfo=$2
manual=$3
ran=0
failures=0
check() {
  what=$1
  shift
  ran=$((ran + 1))
  if output=$("$@" 2>&1) && [ -z "$(printf '%s' "$output" | grep -v '^✔\|^$')" ]; then
    echo "$what: passed"
  else
    echo "$what: FAILED"
    printf '%s\n' "$output"
    failures=$((failures + 1))
  fi
}
if command -v desktop-file-validate > /dev/null; then
  check "desktop-file-validate" desktop-file-validate "$desktop"
else
  echo "desktop-file-validate is not installed (package desktop-file-utils): skipped"
fi
if command -v appstreamcli > /dev/null; then
  check "appstreamcli validate" appstreamcli validate --no-net --no-color "$metainfo"
  # The metadata launches the menu entry by its file name.
  launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
  [ "$launchable" = "$(basename "$desktop")" ] || { echo "the metadata launches $launchable, not $(basename "$desktop")"; failures=$((failures + 1)); }
else
  echo "appstreamcli is not installed (package appstream): skipped"
fi
if command -v groff > /dev/null; then
  check "groff -man -ww" groff -man -Tutf8 -ww -z "$manual"
else
  echo "groff is not installed (package groff-base): skipped"
fi
if command -v man > /dev/null; then
  # As lintian runs it: the formatter's output is not wanted, only what it says about the page.
  check "man --warnings" sh -c 'LC_ALL=C.UTF-8 MANROFFSEQ= MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$1" > /dev/null' sh "$manual"
else
  echo "man is not installed (package man-db): skipped"
fi
[ "$ran" -gt 0 ] || exit 77
exit "$failures"
