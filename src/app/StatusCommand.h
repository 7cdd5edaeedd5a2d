// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `tachyon --status [--gpu N] [--json]`: what each GPU is set to and what it is doing now, read
// once and printed, for people or (with --json) for scripts and fleets. No window is built and no
// display is needed. A sleeping GPU is reported as asleep and not read at all, so a status never
// wakes it.

#include <QByteArray>
#include <optional>

class ADLXHelper;

// Exit statuses of --status, in the numbering of --apply's.
enum StatusExit : int {
    kStatusRead = 0,
    kStatusReadingFailed = 1,  // a reading or a tuning value the GPU offers could not be had
    kStatusNoSuchGpu = 4,
};

struct StatusOutput {
    int status = kStatusRead;
    QByteArray out;  // the report: text, or one JSON document
    QByteArray err;  // why something is missing, one line each
};

// Reads with the runtime already started.
StatusOutput ReadStatus(ADLXHelper& adlx, std::optional<unsigned> gpu, bool json);

// ReadStatus written to standard output and standard error; returns its exit status.
int RunStatusCommand(ADLXHelper& adlx, std::optional<unsigned> gpu, bool json);
