#pragma once
// The runtime's one piece of process state: where the attribute files come from, the cards found
// at ADLXInitialize, and the table of every object handed out, so reference counts can be audited
// and a call on a released object is caught instead of crashing. No value of a card is kept here:
// every value is read from the kernel when a call asks for it.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Attributes.h"
#include "Cards.h"
#include "adlx/ADLX.h"

namespace amdgpu {

enum class Kind { Other, Gpu, FanStateList, Display };

class Object {
public:
    explicit Object(Kind kind = Kind::Other, int card = -1);
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // The pointer handed to the program; the table is keyed by it.
    virtual IADLXInterface* asInterface() = 0;
    // The pointer for one of this object's interface names, or null.
    virtual void* ownInterface(std::wstring_view name) = 0;

    const Kind kind;
    const int card;  // index into the session's cards, -1 when the object belongs to none
    const std::uint64_t generation;
    int refs = 1;
    bool dead = false;  // released to zero; kept as a zombie until the next session
};

adlx_int acquireObject(Object& o);
adlx_int releaseObject(Object& o);
ADLX_RESULT queryObject(Object& o, const wchar_t* name, void** pp);

template <class I, class... Bases>
class Counted : public I, public Object {
public:
    explicit Counted(Kind kind = Kind::Other, int card = -1) : Object(kind, card) {}

    adlx_int Acquire() override { return acquireObject(*this); }
    adlx_int Release() override { return releaseObject(*this); }
    ADLX_RESULT QueryInterface(const wchar_t* name, void** pp) override {
        return queryObject(*this, name, pp);
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

class Session {
public:
    std::recursive_mutex mutex;
    bool active = false;
    std::uint64_t generation = 1;
    std::vector<Card> cards;
    Audit audit;
    // Each hint goes to standard error once per process, not once per call.
    bool overdriveHintShown = false;
    bool permissionHintShown = false;

    // The stand-in a test installed, or the real files under TACHYON_SYSFS_ROOT (default /sys).
    Attributes& attributes();
    void useAttributes(Attributes* standIn);

    template <class T, class... Args>
    T* make(Args&&... args) {
        auto object = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = object.get();
        m_objects.emplace(static_cast<const void*>(raw->asInterface()), std::move(object));
        return raw;
    }
    Object* find(const void* interfacePointer) const;
    int liveObjects() const;
    // Frees the zombies; objects still held become stale and answer nothing any more.
    void startGeneration();
    std::string auditText() const;

private:
    Attributes* m_standIn = nullptr;
    std::unique_ptr<Attributes> m_posix;
    std::unordered_map<const void*, std::unique_ptr<Object>> m_objects;
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
