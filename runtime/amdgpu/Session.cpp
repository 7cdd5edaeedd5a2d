// SPDX-License-Identifier: GPL-3.0-or-later
#include "Session.h"

#include <algorithm>
#include <cstdlib>

#include "PrivilegedAttributes.h"

namespace amdgpu {

Session& session() {
    static Session instance;
    return instance;
}

Object::Object(Kind k, int c) : CountedObject(session().generation), kind(k), card(c) {}

Attributes& Session::attributes() {
    if (m_standIn != nullptr) return *m_standIn;
    if (!m_posix) {
        const char* root = std::getenv("TACHYON_SYSFS_ROOT");
        const std::string files = root != nullptr && *root != '\0' ? root : "/sys";
        m_posix = makePrivilegedAttributes(makePosixAttributes(files), files);
    }
    return *m_posix;
}

void Session::useAttributes(Attributes* standIn) { m_standIn = standIn; }

Object* Session::find(const void* interfacePointer) const {
    // Every object in the table is one of this runtime's.
    return static_cast<Object*>(ObjectTable::find(interfacePointer));
}

Object* Session::current(const void* interfacePointer, Kind k) const {
    if (interfacePointer == nullptr) return nullptr;
    Object* o = find(interfacePointer);
    if (o == nullptr || o->kind != k || o->dead || o->generation != generation) return nullptr;
    return o;
}

adlx_int acquireObject(Object& o) {
    Session& s = session();
    std::lock_guard lock(s.mutex);
    if (o.dead) {
        ++s.audit.deadCalls;
        return 0;
    }
    return ++o.refs;
}

adlx_int releaseObject(Object& o) {
    Session& s = session();
    std::lock_guard lock(s.mutex);
    if (o.dead) {
        // An object of an earlier session may be released late without blame.
        if (o.generation == s.generation) ++s.audit.doubleReleases;
        return 0;
    }
    if (--o.refs == 0) o.dead = true;
    return o.refs;
}

ADLX_RESULT queryObject(Object& o, const wchar_t* name, void** pp) {
    if (pp == nullptr) return ADLX_INVALID_ARGS;
    *pp = nullptr;
    return guarded(o, [&]() -> ADLX_RESULT {
        if (name == nullptr) return ADLX_INVALID_ARGS;
        void* own = o.ownInterface(std::wstring_view(name));
        if (own == nullptr) return ADLX_UNKNOWN_INTERFACE;
        ++o.refs;
        *pp = own;
        return ADLX_OK;
    });
}

ADLX_RESULT answerNo(Object& self, adlx_bool* out) {
    if (out == nullptr) return ADLX_INVALID_ARGS;
    return guarded(self, [&] {
        *out = false;
        return ADLX_OK;
    });
}

int cardOf(const IADLXGPU* gpu) {
    Session& s = session();
    const Object* o = s.current(static_cast<const IADLXInterface*>(gpu), Kind::Gpu);
    if (o == nullptr) return -1;
    if (o->card < 0 || static_cast<std::size_t>(o->card) >= s.cards.size()) return -1;
    return o->card;
}

}  // namespace amdgpu
