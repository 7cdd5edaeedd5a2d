// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Owns one reference of an interface received through an out-parameter: it never acquires and it
// releases exactly once, when it is reset, refilled or destroyed.

#include <utility>

#include "IADLXInterface.h"

namespace adlx {

template <typename T>
class InterfacePtr {
public:
    InterfacePtr() = default;
    InterfacePtr(const InterfacePtr&) = delete;
    InterfacePtr& operator=(const InterfacePtr&) = delete;
    InterfacePtr(InterfacePtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    InterfacePtr& operator=(InterfacePtr&& other) noexcept {
        if (this != &other) {
            reset();
            m_ptr = std::exchange(other.m_ptr, nullptr);
        }
        return *this;
    }
    ~InterfacePtr() { reset(); }

    // Releases what is held and hands out the slot for a getter to fill.
    T** put() {
        reset();
        return &m_ptr;
    }
    // The same slot typed for QueryInterface.
    void** put_void() { return reinterpret_cast<void**>(put()); }

    void reset() {
        if (m_ptr != nullptr) {
            T* p = std::exchange(m_ptr, nullptr);
            p->Release();
        }
    }

    // Gives up ownership without releasing.
    T* detach() { return std::exchange(m_ptr, nullptr); }

    T* get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

    // Asks the held interface for a newer one by its name; empty when absent or refused.
    template <typename U>
    InterfacePtr<U> query() const {
        InterfacePtr<U> result;
        if (m_ptr != nullptr && m_ptr->QueryInterface(U::IID(), result.put_void()) != ADLX_OK) {
            // A refused query hands out no reference: whatever the slot holds is not ours.
            result.detach();
        }
        return result;
    }

private:
    T* m_ptr = nullptr;
};

}  // namespace adlx
