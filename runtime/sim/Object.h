#pragma once
// Every interface object the runtime hands out: its reference count, the names it answers to,
// and the bookkeeping that lets a call on a released object be caught instead of crashing.

#include <cstdint>
#include <string_view>

#include "adlx/IADLXInterface.h"

namespace sim {

enum class Kind { Other, System, Gpu, Display, FanStateList };

class SimObject {
public:
    SimObject(const char* traceName, int device, Kind kind = Kind::Other);
    virtual ~SimObject() = default;
    SimObject(const SimObject&) = delete;
    SimObject& operator=(const SimObject&) = delete;

    // The pointer handed to the program; the registry is keyed by it.
    virtual IADLXInterface* asInterface() = 0;
    // The pointer to hand out for one of this object's own interface names, or null.
    virtual void* ownInterface(std::wstring_view name) = 0;
    // A name answered by a different object (a newer interface that behaves differently). The
    // new object comes with one reference. Null when the name is not served this way.
    virtual SimObject* upgrade(std::wstring_view) { return nullptr; }

    const char* traceName;  // the interface name calls are recorded under
    int device;             // index of the GPU or display this object belongs to, -1 if none
    Kind kind;
    std::uint64_t generation;
    int refs = 1;
    // Released to zero: kept in memory as a zombie so later calls are detected.
    bool dead = false;
};

adlx_int acquireObject(SimObject& o);
adlx_int releaseObject(SimObject& o);
ADLX_RESULT queryObject(SimObject& o, const wchar_t* name, void** pp);

// The reference-counting part every object shares. I is the interface the object implements;
// Bases are the interfaces it derives from, so QueryInterface answers their names as well.
template <class I, class... Bases>
class Impl : public I, public SimObject {
public:
    Impl(const char* traceName, int device, Kind kind = Kind::Other) : SimObject(traceName, device, kind) {}

    adlx_int Acquire() override { return acquireObject(*this); }
    adlx_int Release() override { return releaseObject(*this); }
    ADLX_RESULT QueryInterface(const wchar_t* name, void** pp) override { return queryObject(*this, name, pp); }

    IADLXInterface* asInterface() override { return this; }
    void* ownInterface(std::wstring_view name) override {
        const bool own = name == I::IID() || ((name == Bases::IID()) || ...) || name == IADLXInterface::IID();
        return own ? static_cast<void*>(static_cast<I*>(this)) : nullptr;
    }
};

}  // namespace sim
