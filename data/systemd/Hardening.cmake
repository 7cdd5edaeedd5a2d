# SPDX-License-Identifier: GPL-3.0-or-later
# The sandbox every Tachyon unit runs in. The apply writes only the cards' files under /sys (left
# writable: no ProtectKernelTunables) and the state folder; it reads the profiles, asks systemd to
# start the guard's units over systemd's private socket, and needs no capability beyond being uid 0
# (the tuning files are root's, mode 0644). Qt's regular expressions compile to machine code, so
# memory that is written and executed stays allowed.
string(JOIN "\n" TACHYON_UNIT_HARDENING
  "ProtectSystem=strict"
  "ProtectHome=yes"
  "PrivateTmp=yes"
  "PrivateNetwork=yes"
  "PrivateDevices=yes"
  "PrivateIPC=yes"
  "IPAddressDeny=any"
  "NoNewPrivileges=yes"
  "CapabilityBoundingSet="
  "RestrictAddressFamilies=AF_UNIX"
  "RestrictNamespaces=yes"
  "RestrictRealtime=yes"
  "RestrictSUIDSGID=yes"
  "LockPersonality=yes"
  "ProtectClock=yes"
  "ProtectHostname=yes"
  "ProtectKernelLogs=yes"
  "ProtectKernelModules=yes"
  "ProtectControlGroups=yes"
  "ProtectProc=invisible"
  "RemoveIPC=yes"
  "PrivateMounts=yes"
  "UMask=0077"
  "SystemCallArchitectures=native"
  "SystemCallFilter=@system-service"
  "SystemCallFilter=~@privileged @resources"
  "SystemCallErrorNumber=EPERM")
