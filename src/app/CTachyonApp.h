// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object: takes the instance marker and starts the runtime when it is built,
// runs the main window to its end, and closes the marker and stops the runtime when destroyed.

#include "InstanceMarker.h"

class ADLXHelper;
class Prompts;

class CTachyonApp {
public:
    CTachyonApp(ADLXHelper& adlx, Prompts& prompts);
    ~CTachyonApp();
    CTachyonApp(const CTachyonApp&) = delete;
    CTachyonApp& operator=(const CTachyonApp&) = delete;

    // False when the runtime could not be started; the process then ends with ExitCode().
    bool Started() const { return m_started; }
    int ExitCode() const { return m_exitCode; }

    // Runs the main window modally; always returns false, as nothing else is to run afterwards.
    bool InitInstance();

    InstanceMarker m_instanceMutex;

private:
    ADLXHelper& m_adlx;
    Prompts& m_prompts;
    bool m_started = false;
    int m_exitCode = 0;
};
