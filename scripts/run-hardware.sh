#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts Tachyon with the amdgpu runtime beside it, on this machine's cards. Reading works for every
# user; changing a setting needs root (the kernel's files are 0644 root:root). Without an AMD card
# the program ends with its own "no supported GPU found!".
set -euo pipefail
program="$1"
if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'MSG'
Tachyon is a desktop program and no display is available here (neither DISPLAY nor WAYLAND_DISPLAY
is set). Start it from a desktop session, or in a virtual X server: xvfb-run -a make run-hardware
MSG
  exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Tachyon reads your cards' settings; to change them, start it as root (sudo -E make run-hardware)." >&2
fi
exec "$program"
