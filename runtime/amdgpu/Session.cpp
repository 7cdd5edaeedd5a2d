#include "Session.h"

#include <algorithm>
#include <cstdlib>

#include "PrivilegedAttributes.h"

namespace amdgpu {

Session& session() {
    static Session instance;
    return instance;
}

Object::Object(Kind k, int c) : kind(k), card(c), generation(session().generation) {}

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
    const auto it = m_objects.find(interfacePointer);
    return it == m_objects.end() ? nullptr : it->second.get();
}

int Session::liveObjects() const {
    return static_cast<int>(std::count_if(m_objects.begin(), m_objects.end(), [&](const auto& entry) {
        return !entry.second->dead && entry.second->generation == generation;
    }));
}

void Session::startGeneration() {
    // Objects still held stay in memory for good: their holder may release them some day.
    std::erase_if(m_objects, [](const auto& entry) { return entry.second->dead; });
    m_objects.rehash(0);
    ++generation;
}

std::string Session::auditText() const {
    return "live=" + std::to_string(liveObjects()) + " double=" + std::to_string(audit.doubleReleases) +
           " dead_calls=" + std::to_string(audit.deadCalls);
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

int cardOf(const IADLXGPU* gpu) {
    Session& s = session();
    if (gpu == nullptr) return -1;
    const Object* o = s.find(static_cast<const IADLXInterface*>(gpu));
    if (o == nullptr || o->kind != Kind::Gpu || o->dead || o->generation != s.generation) return -1;
    if (o->card < 0 || static_cast<std::size_t>(o->card) >= s.cards.size()) return -1;
    return o->card;
}

}  // namespace amdgpu
