// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The amdgpu runtime library beside the program, opened as the program opens it, and the seam a
// test puts in front of the kernel's files. The cards are named from the tests' PCI database, not
// from this machine's.

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "AttributesControl.h"

class AmdgpuModule {
public:
    AmdgpuModule() {
        ::setenv("TACHYON_PCI_IDS", TACHYON_AMDGPU_FIXTURES "/pci.ids", 1);
        m_module = ::dlopen(TACHYON_AMDGPU_DIR "/libamdadlx64.so", RTLD_NOW | RTLD_LOCAL);
        if (m_module == nullptr) {
            m_error = ::dlerror();
            return;
        }
        m_use = reinterpret_cast<TachyonAmdgpuUseAttributes_Fn>(::dlsym(m_module, TACHYON_AMDGPU_USE_ATTRIBUTES_SYMBOL));
        if (m_use == nullptr) m_error = "no " TACHYON_AMDGPU_USE_ATTRIBUTES_SYMBOL " in the runtime";
    }
    ~AmdgpuModule() {
        if (m_use != nullptr) m_use(nullptr);
        if (m_module != nullptr) ::dlclose(m_module);
    }
    AmdgpuModule(const AmdgpuModule&) = delete;
    AmdgpuModule& operator=(const AmdgpuModule&) = delete;

    // Empty when the library and its seam entry point were found.
    const std::string& error() const { return m_error; }
    void use(amdgpu::Attributes& seam) { m_use(&seam); }
    void* handle() const { return m_module; }

private:
    void* m_module = nullptr;
    TachyonAmdgpuUseAttributes_Fn m_use = nullptr;
    std::string m_error;
};
