#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts Tachyon on the simulated runtime built beside it, or says plainly how to get a display.
set -euo pipefail
program="$1"
if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'MSG'
Tachyon is a desktop program and no display is available here (neither DISPLAY nor WAYLAND_DISPLAY
is set). Either
  - run it in a virtual X server:  xvfb-run -a make run   (Debian package xvfb), or
  - render without any display:    QT_QPA_PLATFORM=offscreen make run
MSG
  exit 1
fi
exec "$program"
