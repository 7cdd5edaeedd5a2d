#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The program as a user gets it: this build installed (DESTDIR) into a temporary folder and
# started from there, offscreen. A preloaded probe closes each window once it is painted, as a
# user would, and notes which windows were shown.
#   installed.sh layout BUILD PREFIX SYSCONFDIR LAYOUT
#   installed.sh demo   BUILD PREFIX PROBE VERSION
#   installed.sh amdgpu BUILD PREFIX PROBE CARD...   (CARD: a folder holding device/)
set -u
here=$(dirname "$0")
. "$here/entries.sh"
mode=$1
build=$2
prefix=$3
shift 3

root=$(mktemp -d "${TMPDIR:-/tmp}/tachyon-install.XXXXXX") || exit 1
trap 'rm -rf "$root"' EXIT
if ! DESTDIR="$root/dest" cmake --install "$build" > "$root/install.log" 2>&1; then
  cat "$root/install.log"
  exit 1
fi
installed="$root/dest$prefix"
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# start_window PROGRAM [VAR=value...]: the program offscreen, each window closed once painted;
# sets $status to its exit status and leaves the probe's notes in $root/windows.
start_window() {
  program=$1
  shift
  : > "$root/windows"
  # In a sanitized build the probe carries AddressSanitizer, whose runtime must be loaded first.
  preload=$(ldd "$probe" 2> /dev/null | awk '$1 ~ /^libasan\.so/ { printf "%s ", $3 }')$probe
  # Only the program gets the probe: timeout itself hangs with the sanitizer's runtime in it.
  timeout 60 env XDG_RUNTIME_DIR="$root" QT_QPA_PLATFORM=offscreen TACHYON_WINDOW_PROBE_REPORT="$root/windows" \
    "$@" LD_PRELOAD="$preload" "$program" > "$root/out" 2> "$root/err"
  status=$?
}
main_window_shown() { grep -qx 'window CTachyonDlg' "$root/windows"; }

case "$mode" in
layout)
  sysconfdir=$1
  layout=$2
  same_entries "the installed files" "$(promised_entries "$layout" "$prefix" "$sysconfdir")" \
    "$(installed_entries "$root/dest")" || failures=$((failures + 1))
  # The pieces name each other by installed path: the boot script runs the command of bindir, the
  # service runs the script, the polkit action allows the writer the runtime starts.
  grep -qx "program=\"\${TACHYON_APPLY_PROGRAM:-$prefix/bin/tachyon}\"" "$installed/libexec/tachyon/tachyon-apply-profiles" ||
    fail "the boot script does not run $prefix/bin/tachyon"
  grep -qx "ExecStart=$prefix/libexec/tachyon/tachyon-apply-profiles" "$installed/lib/systemd/system/tachyon-apply.service" ||
    fail "the service does not run the installed script"
  grep -q "exec.path\">$prefix/libexec/tachyon/tachyon-sysfs-writer<" "$installed/share/polkit-1/actions/io.github.tachyon.sysfs-writer.policy" ||
    fail "the polkit action does not name the installed writer"
  grep -q "$prefix/libexec/tachyon/tachyon-sysfs-writer" "$installed/lib/tachyon/libamdadlx64.so" ||
    fail "the amdgpu runtime does not look for the installed writer"
  grep -q "exec.path\">$prefix/libexec/tachyon/tachyon-profile-keeper<" "$installed/share/polkit-1/actions/io.github.tachyon.profile-keeper.policy" ||
    fail "the keeper's polkit action does not name the installed keeper"
  # (held as UTF-16 text there)
  LC_ALL=C tr -d '\000' < "$installed/lib/tachyon/tachyon" | grep -q "$prefix/libexec/tachyon/tachyon-profile-keeper" ||
    fail "the program does not run the installed keeper"
  # The menu entry starts the command of bindir, with the icon the theme holds and polkit shows.
  desktop="$installed/share/applications/io.github.tachyon.Tachyon.desktop"
  command=$(sed -n 's/^Exec=//p' "$desktop")
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [ -x "$installed/bin/$command" ] || fail "the menu entry's Exec=$command is not in bindir"
  [ -f "$installed/share/icons/hicolor/256x256/apps/$icon.png" ] || fail "no icon named $icon in the theme"
  grep -q "<icon_name>$icon</icon_name>" "$installed/share/polkit-1/actions/io.github.tachyon.sysfs-writer.policy" ||
    fail "the polkit action shows another icon than the menu entry"
  ;;
demo)
  probe=$1
  version=$2
  for command in tachyon tachyon-demo; do
    answer=$("$installed/bin/$command" --version 2>&1)
    [ "$answer" = "tachyon $version" ] || fail "$command --version said: $answer"
  done
  # The demo's window on the simulated runtime, which traces every call it receives.
  start_window "$installed/bin/tachyon-demo" TACHYON_SIM_TRACE="$root/trace"
  [ "$status" -eq 0 ] || fail "tachyon-demo ended with status $status: $(cat "$root/err")"
  main_window_shown || fail "tachyon-demo showed no main window: $(cat "$root/windows")"
  grep -q . "$root/trace" 2> /dev/null || fail "tachyon-demo did not run on the simulated runtime"
  ;;
amdgpu)
  probe=$1
  shift
  for card in "$@"; do
    name=$(basename "$card")
    sys="$root/sys-$name"
    mkdir -p "$sys/class/drm" && cp -R "$card" "$sys/class/drm/card0" || exit 1
    device=$(sed -n 's/^PCI_ID=[0-9A-Fa-f]*:\([0-9A-Fa-f]*\)$/\1/p' "$card/device/uevent" | tr a-f A-F)
    # The GPU list of --apply proves which runtime answered, and from which tree.
    env XDG_RUNTIME_DIR="$root" TACHYON_SYSFS_ROOT="$sys" TACHYON_SIM_TRACE="$root/trace" \
      "$installed/bin/tachyon" --apply "$root/none.xml" --gpu 9 > "$root/out" 2> "$root/err"
    status=$?
    [ "$status" -eq 4 ] || fail "$name: --apply --gpu 9 ended with status $status, not 4 (no such GPU)"
    grep -q "GPU 0: .*(DevID $device," "$root/err" || fail "$name: the card of the tree is not listed: $(cat "$root/err")"
    [ ! -e "$root/trace" ] || fail "$name: tachyon ran on the simulated runtime"
    start_window "$installed/bin/tachyon" TACHYON_SYSFS_ROOT="$sys"
    [ "$status" -eq 0 ] || fail "$name: the window ended with status $status: $(cat "$root/err")"
    main_window_shown || fail "$name: no main window shown: $(cat "$root/windows")"
    [ "$failures" -eq 0 ] && echo "$name: the installed tachyon lists the card and shows its window"
  done
  ;;
*)
  echo "unknown mode $mode"
  exit 2
  ;;
esac
exit "$failures"
