// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The runtime's one piece of process state: where the attribute files come from, the cards found
// at ADLXInitialize, and the table of every object handed out, so reference counts can be audited
// and a call on a released object is caught instead of crashing. No value of a card is kept here:
// every value is read from the kernel when a call asks for it.

#include <deque>
#include <memory>
#include <string>
#include <mutex>
#include <string_view>
#include <vector>

#include "Attributes.h"
#include "Cards.h"
#include "adlx/ADLX.h"
#include "runtime/common/ObjectTable.h"

namespace amdgpu {

enum class Kind { Other, Gpu, FanStateList, Display };

class Object : public objects::CountedObject {
public:
    explicit Object(Kind kind = Kind::Other, int card = -1);

    const Kind kind;
    const int card;  // index into the session's cards, -1 when the object belongs to none
};

adlx_int acquireObject(Object& o);
adlx_int releaseObject(Object& o);
ADLX_RESULT queryObject(Object& o, const wchar_t* name, void** pp);

template <class I, class... Bases>
class Counted : public objects::Counted<Object, I, Bases...> {
public:
    using objects::Counted<Object, I, Bases...>::Counted;
};

class Session : public objects::ObjectTable {
public:
    std::recursive_mutex mutex;
    bool active = false;
    std::vector<Card> cards;
    // Each hint goes to standard error once per process, not once per call.
    bool overdriveHintShown = false;
    bool permissionHintShown = false;
    bool resetHintShown = false;
    // What the person at the window must be told when the current command is over, oldest first.
    std::deque<std::string> notices;
    void notify(std::string text) { notices.push_back(std::move(text)); }

    // The stand-in a test installed, or the real files under TACHYON_SYSFS_ROOT (default /sys).
    Attributes& attributes();
    void useAttributes(Attributes* standIn);

    Object* find(const void* interfacePointer) const;
    // The object behind a pointer the program passed as an argument, when it is a live object of
    // this kind and of the current session; else null.
    Object* current(const void* interfacePointer, Kind kind) const;

private:
    Attributes* m_standIn = nullptr;
    std::unique_ptr<Attributes> m_posix;
};

Session& session();

// Runs a method body under the rules every call shares: the object must be alive and of the
// current session, and nothing thrown inside crosses the boundary.
template <class Body>
ADLX_RESULT guarded(Object& self, Body&& body) {
    Session& s = session();
    std::lock_guard lock(s.mutex);
    if (self.dead) {
        ++s.audit.deadCalls;
        return ADLX_INVALID_OBJECT;
    }
    if (self.generation != s.generation) return ADLX_INVALID_OBJECT;
    if (!s.active) return ADLX_TERMINATED;
    try {
        return body();
    } catch (...) {
        return ADLX_FAIL;
    }
}

// Size, Begin and End: a refused call counts as an empty list.
template <class Body>
adlx_uint guardedCount(Object& self, Body&& body) {
    adlx_uint n = 0;
    guarded(self, [&] {
        n = body();
        return ADLX_OK;
    });
    return n;
}

// A list the program walks by index: Size, Begin and End over the number of items the list holds.
template <class I>
class CountedList : public Counted<I> {
public:
    using Counted<I>::Counted;

    adlx_uint Size() override {
        return guardedCount(*this, [&] { return size(); });
    }
    adlx_uint Begin() override {
        return guardedCount(*this, [] { return 0u; });
    }
    adlx_uint End() override {
        return guardedCount(*this, [&] { return size(); });
    }

protected:
    virtual adlx_uint size() const = 0;
};

// A question every card answers no to: the kernel has nothing for the feature.
ADLX_RESULT answerNo(Object& self, adlx_bool* out);

// Hands out an interface: the slot is null unless the call succeeds.
template <class Iface, class Make>
ADLX_RESULT handOut(Object& self, Iface** pp, Make&& make) {
    if (pp == nullptr) return ADLX_INVALID_ARGS;
    *pp = nullptr;
    const ADLX_RESULT r = guarded(self, [&] { return make(*pp); });
    if (r != ADLX_OK) *pp = nullptr;
    return r;
}

// The card of a GPU argument: its index when it is a live GPU object of this session, else -1.
int cardOf(const IADLXGPU* gpu);

}  // namespace amdgpu
