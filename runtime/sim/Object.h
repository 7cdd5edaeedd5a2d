// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every interface object the runtime hands out: its reference count, the names it answers to,
// and the bookkeeping that lets a call on a released object be caught instead of crashing.

#include <string_view>

#include "adlx/IADLXInterface.h"
#include "runtime/common/ObjectTable.h"

namespace sim {

enum class Kind { Other, System, Gpu, Display, FanStateList };

class SimObject : public objects::CountedObject {
public:
    SimObject(const char* traceName, int device, Kind kind = Kind::Other);

    // A name answered by a different object (a newer interface that behaves differently). The
    // new object comes with one reference. Null when the name is not served this way.
    virtual SimObject* upgrade(std::wstring_view) { return nullptr; }

    const char* traceName;  // the interface name calls are recorded under
    int device;             // index of the GPU or display this object belongs to, -1 if none
    Kind kind;
};

adlx_int acquireObject(SimObject& o);
adlx_int releaseObject(SimObject& o);
ADLX_RESULT queryObject(SimObject& o, const wchar_t* name, void** pp);

// The reference-counting part every object shares, recorded in the trace like any call.
template <class I, class... Bases>
class Impl : public objects::Counted<SimObject, I, Bases...> {
public:
    using objects::Counted<SimObject, I, Bases...>::Counted;
};

}  // namespace sim
