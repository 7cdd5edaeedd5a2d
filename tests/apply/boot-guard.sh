#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The boot guard of the apply script over a stand-in root: a stand-in program records what would be
# applied, a file stands for the boot id, and a stand-in systemctl records what the script starts.
#   boot-guard.sh SCRIPT
set -u
script=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/tachyon-guard.XXXXXX") || exit 1
trap 'rm -rf "$root"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

mkdir -p "$root/profiles" "$root/state" "$root/sys/module/amdgpu" "$root/sys/class/drm/card0/device"
echo DRIVER=amdgpu > "$root/sys/class/drm/card0/device/uevent"
echo '<profile/>' > "$root/profiles/10-card.xml"
printf '#!/bin/sh\necho "$*" >> "%s/applied"\n' "$root" > "$root/tachyon"
printf '#!/bin/sh\necho "$*" >> "%s/started"\n' "$root" > "$root/systemctl"
chmod +x "$root/tachyon" "$root/systemctl"
export TACHYON_APPLY_PROGRAM="$root/tachyon" TACHYON_APPLY_PROFILES="$root/profiles" STATE_DIRECTORY="$root/state"
export TACHYON_APPLY_SYS="$root/sys" TACHYON_APPLY_BOOT_ID="$root/boot_id" TACHYON_APPLY_SYSTEMCTL="$root/systemctl"

# boot ID [ARG]: the script run in the boot ID; its output in $root/out, what it applied in $applied.
boot() {
  echo "$1" > "$root/boot_id"
  : > "$root/applied"
  sh "$script" ${2:+"$2"} > "$root/out" 2>&1
  status=$?
  applied=$(cat "$root/applied")
}

boot one
[ "$status" = 0 ] && [ "$applied" = "--apply $root/profiles/10-card.xml" ] || fail "first boot applies: $status $applied"
grep -qx 'boot one' "$root/state/applying" || fail "the apply is recorded with its boot"
grep -q 'tachyon-apply-guard.service' "$root/started" && grep -q 'restart tachyon-apply-settle.timer' "$root/started" ||
  fail "the guard's units are started: $(cat "$root/started")"

# A resume in the same boot, before the settle time: applied again.
boot one
[ -n "$applied" ] || fail "a resume within the boot applies"

# The machine crashes: the next boot finds the record of another boot and applies nothing.
boot two
[ "$status" = 0 ] && [ -z "$applied" ] || fail "the boot after a crash applies nothing: $status $applied"
grep -q '10-card.xml' "$root/out" && grep -q -- '--rearm' "$root/out" || fail "it says which profile and how to re-arm: $(cat "$root/out")"
# It keeps skipping, and a clean shutdown in between does not let it go.
sh "$script" --shutdown
boot three
[ -z "$applied" ] || fail "the guard keeps holding after a clean shutdown"

# Re-armed: the next boot applies, and a clean shutdown clears its record.
sh "$script" --rearm > "$root/out" || fail "re-arm"
grep -q 're-armed' "$root/out" || fail "re-arm says so: $(cat "$root/out")"
boot four
[ -n "$applied" ] || fail "the boot after re-arming applies"
sh "$script" --shutdown
[ ! -e "$root/state/applying" ] || fail "a clean shutdown clears the record"
boot five
[ -n "$applied" ] || fail "the boot after a clean shutdown applies"

# The machine ran ten minutes after the apply: the record is cleared and a later crash is not the profile's.
sh "$script" --settle
boot six
[ -n "$applied" ] || fail "the boot after a settled apply applies"

# A profile whose name holds a control character reaches the journal with it shown as '?'.
sh "$script" --settle
rm "$root/profiles/10-card.xml"
echo '<profile/>' > "$root/profiles/$(printf 'bad\033[2Jname').xml"
boot seven
grep -q 'bad?\[2Jname' "$root/out" && ! grep -q "$(printf '\033')" "$root/out" || fail "control characters escaped: $(cat -v "$root/out")"

# No amdgpu module and no AMD card: it ends at once instead of waiting for one.
rm -rf "$root/sys/module/amdgpu" "$root/sys/class/drm/card0"
sh "$script" --settle
started=$(date +%s)
boot eight
[ $(($(date +%s) - started)) -lt 5 ] && [ -z "$applied" ] && grep -q 'not loaded' "$root/out" ||
  fail "without amdgpu the script ends at once: $(cat "$root/out")"

[ "$failures" = 0 ] && echo "boot guard: every step as expected"
[ "$failures" = 0 ]
