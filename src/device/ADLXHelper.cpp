// SPDX-License-Identifier: GPL-3.0-or-later
#include "ADLXHelper.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <string>
#include <utility>

ADLXHelper::ADLXHelper(std::string folder) : m_folder(std::move(folder)) {}

ADLXHelper::~ADLXHelper() { StopRuntime(); }

std::string ADLXHelper::ExecutableFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) return {};
    std::string exe(path, static_cast<std::size_t>(length));
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

namespace {

template <typename Fn>
Fn Resolve(void* module, const char* name, std::string& missing) {
    void* symbol = dlsym(module, name);
    if (symbol == nullptr && missing.empty()) missing = name;
    return reinterpret_cast<Fn>(symbol);
}

}  // namespace

bool ADLXHelper::LoadEntryPoints() {
    if (m_module == nullptr) {
        // The executable's own folder first, then the system's library path; a bare name never
        // searches the current directory.
        const std::string besideExecutable = m_folder + "/" ADLX_RUNTIME_LIBRARY;
        m_module = dlopen(besideExecutable.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_module == nullptr) {
            const char* error = dlerror();
            const std::string besideError = error != nullptr ? error : besideExecutable;
            m_module = dlopen(ADLX_RUNTIME_LIBRARY, RTLD_NOW | RTLD_LOCAL);
            if (m_module == nullptr) {
                error = dlerror();
                m_lastError = besideError + "; " + (error != nullptr ? error : ADLX_RUNTIME_LIBRARY);
                return false;
            }
        }
        std::string missing;
        m_queryFullVersion = Resolve<ADLXQueryFullVersion_Fn>(m_module, "ADLXQueryFullVersion", missing);
        m_queryVersion = Resolve<ADLXQueryVersion_Fn>(m_module, "ADLXQueryVersion", missing);
        m_initializeWithCallerAdl =
            Resolve<ADLXInitializeWithCallerAdl_Fn>(m_module, "ADLXInitializeWithCallerAdl", missing);
        m_initializeWithIncompatibleDriver = Resolve<ADLXInitializeWithIncompatibleDriver_Fn>(
            m_module, "ADLXInitializeWithIncompatibleDriver", missing);
        m_initialize = Resolve<ADLXInitialize_Fn>(m_module, "ADLXInitialize", missing);
        m_terminate = Resolve<ADLXTerminate_Fn>(m_module, "ADLXTerminate", missing);
        if (!missing.empty()) m_lastError = "entry point " + missing + " missing in " ADLX_RUNTIME_LIBRARY;
    }
    return m_queryFullVersion != nullptr && m_queryVersion != nullptr && m_initializeWithCallerAdl != nullptr &&
           m_initializeWithIncompatibleDriver != nullptr && m_initialize != nullptr && m_terminate != nullptr;
}

ADLX_RESULT ADLXHelper::StartRuntime() {
    if (!LoadEntryPoints()) return ADLX_FAIL;
    m_queryFullVersion(&m_fullVersion);
    m_queryVersion(&m_versionText);
    const ADLX_RESULT result = m_initialize(ADLX_FULL_VERSION, &m_system);
    if (result != ADLX_OK) m_lastError = "ADLXInitialize returned " + std::to_string(result);
    return result;
}

ADLX_RESULT ADLXHelper::StopRuntime() {
    if (m_module == nullptr) return ADLX_OK;
    m_fullVersion = 0;
    m_versionText = nullptr;
    m_system = nullptr;
    ADLX_RESULT result = ADLX_OK;
    if (m_terminate != nullptr) result = m_terminate();
    m_queryFullVersion = nullptr;
    m_queryVersion = nullptr;
    m_initializeWithCallerAdl = nullptr;
    m_initializeWithIncompatibleDriver = nullptr;
    m_initialize = nullptr;
    m_terminate = nullptr;
    dlclose(m_module);
    m_module = nullptr;
    return result;
}
