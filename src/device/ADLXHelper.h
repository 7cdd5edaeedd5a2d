// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Loads the runtime library, resolves its six entry points, starts and stops it, and hands out
// its system object. The program has exactly one instance.

#include <string>

#include "adlx/ADLX.h"

class ADLXHelper {
public:
    // The runtime is looked for in folder first (the executable's own by default), then on the
    // system's library path.
    explicit ADLXHelper(std::string folder = ExecutableFolder());
    virtual ~ADLXHelper();
    ADLXHelper(const ADLXHelper&) = delete;
    ADLXHelper& operator=(const ADLXHelper&) = delete;

    ADLX_RESULT StartRuntime();
    ADLX_RESULT StopRuntime();
    IADLXSystem* SystemServices() const { return m_system; }

    // Why the last start failed (the loader's message or the missing entry point); empty otherwise.
    const std::string& LastError() const { return m_lastError; }
    bool IsLoaded() const { return m_module != nullptr; }

    // Where the runtime is looked for first: the executable's own folder.
    static std::string ExecutableFolder();

private:
    bool LoadEntryPoints();

    std::string m_folder;
    void* m_module = nullptr;
    adlx_uint64 m_fullVersion = 0;
    const char* m_versionText = nullptr;
    IADLXSystem* m_system = nullptr;
    ADLXQueryFullVersion_Fn m_queryFullVersion = nullptr;
    ADLXQueryVersion_Fn m_queryVersion = nullptr;
    ADLXInitializeWithCallerAdl_Fn m_initializeWithCallerAdl = nullptr;
    ADLXInitializeWithIncompatibleDriver_Fn m_initializeWithIncompatibleDriver = nullptr;
    ADLXInitialize_Fn m_initialize = nullptr;
    ADLXTerminate_Fn m_terminate = nullptr;
    std::string m_lastError;
};
