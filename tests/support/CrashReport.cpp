// SPDX-License-Identifier: GPL-3.0-or-later
#include "CrashReport.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Only async-signal-safe writes happen in the handler, so the texts are kept in plain buffers.
char g_prefix[64];
char g_currentFault[512];
struct sigaction g_previous[32];

void ReportCrash(int signal) {
    (void)!write(STDERR_FILENO, g_prefix, strnlen(g_prefix, sizeof g_prefix));
    (void)!write(STDERR_FILENO, g_currentFault, strnlen(g_currentFault, sizeof g_currentFault));
    (void)!write(STDERR_FILENO, "\n", 1);
    // The previous handler (a sanitizer's or the default) takes over when the signal comes again.
    sigaction(signal, &g_previous[signal], nullptr);
    if (signal == SIGABRT) raise(signal);
}

}  // namespace

CrashReport::CrashReport(const char* what) {
    std::snprintf(g_prefix, sizeof g_prefix, "\n*** crashed with %s injected: ", what);
    struct sigaction action {};
    action.sa_handler = ReportCrash;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals) sigaction(s, &action, &g_previous[s]);
}

CrashReport::~CrashReport() {
    for (int s : kSignals) sigaction(s, &g_previous[s], nullptr);
}

void CrashReport::Running(const std::string& fault) {
    std::snprintf(g_currentFault, sizeof g_currentFault, "%s", fault.c_str());
}
