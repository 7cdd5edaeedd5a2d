// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every runtime keeps about the objects it hands out: each one's reference count and the
// names it answers to, and the table of them all, keyed by the pointer the program holds, so a
// call on a released or stale object is caught instead of crashing and the program's use of
// references can be audited. How a call is refused (and what is recorded) is each runtime's own.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "adlx/IADLXInterface.h"

namespace objects {

class CountedObject {
public:
    explicit CountedObject(std::uint64_t generation) : generation(generation) {}
    virtual ~CountedObject() = default;
    CountedObject(const CountedObject&) = delete;
    CountedObject& operator=(const CountedObject&) = delete;

    // The pointer handed to the program; the table is keyed by it.
    virtual IADLXInterface* asInterface() = 0;
    // The pointer to hand out for one of this object's own interface names, or null.
    virtual void* ownInterface(std::wstring_view name) = 0;

    const std::uint64_t generation;
    int refs = 1;
    // Released to zero: kept in memory as a zombie so later calls are detected.
    bool dead = false;
};

// The reference-counting methods every object shares. Base is the runtime's own object class:
// Acquire, Release and QueryInterface go to that runtime's acquireObject, releaseObject and
// queryObject (found beside Base), which decide what a call on a dead or stale object does. I is
// the interface the object implements; Bases are the interfaces it derives from, so
// QueryInterface answers their names as well.
template <class Base, class I, class... Bases>
class Counted : public I, public Base {
public:
    using Base::Base;

    adlx_int Acquire() override { return acquireObject(static_cast<Base&>(*this)); }
    adlx_int Release() override { return releaseObject(static_cast<Base&>(*this)); }
    ADLX_RESULT QueryInterface(const wchar_t* name, void** pp) override {
        return queryObject(static_cast<Base&>(*this), name, pp);
    }

    IADLXInterface* asInterface() override { return this; }
    void* ownInterface(std::wstring_view name) override {
        const bool own = name == I::IID() || ((name == Bases::IID()) || ...) || name == IADLXInterface::IID();
        return own ? static_cast<void*>(static_cast<I*>(this)) : nullptr;
    }
};

struct Audit {
    int doubleReleases = 0;
    int deadCalls = 0;
};

class ObjectTable {
public:
    // Bumped when a new session starts: objects of an older generation are stale, answer nothing
    // and no longer count as live.
    std::uint64_t generation = 1;
    Audit audit;

    template <class T, class... Args>
    T* make(Args&&... args) {
        auto object = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = object.get();
        m_objects.emplace(static_cast<const void*>(raw->asInterface()), std::move(object));
        return raw;
    }
    // The object behind a pointer the program passed in, if the pointer is one of ours.
    CountedObject* find(const void* interfacePointer) const;
    int liveObjects() const;
    // Frees the zombies and makes the objects still held stale.
    void startGeneration();
    // "live=N double=D dead_calls=K"
    std::string auditText() const;

private:
    std::unordered_map<const void*, std::unique_ptr<CountedObject>> m_objects;
};

}  // namespace objects
