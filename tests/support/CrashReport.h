// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Names the fault that was injected when a sweep's process dies: a crash in the middle of
// thousands of runs is useless without it. While an instance lives, the fatal signals print
// "*** crashed with <what> injected: <fault>" and then go to the handler that was there before
// (a sanitizer's or the default).

#include <string>

class CrashReport {
public:
    // what: the kind of fault the sweep injects, e.g. "fault" or "kernel fault".
    explicit CrashReport(const char* what);
    ~CrashReport();
    CrashReport(const CrashReport&) = delete;
    CrashReport& operator=(const CrashReport&) = delete;

    static void Running(const std::string& fault);
};
