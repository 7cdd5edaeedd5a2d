// SPDX-License-Identifier: GPL-3.0-or-later
#include "ObjectTable.h"

#include <algorithm>

namespace objects {

CountedObject* ObjectTable::find(const void* interfacePointer) const {
    const auto it = m_objects.find(interfacePointer);
    return it == m_objects.end() ? nullptr : it->second.get();
}

int ObjectTable::liveObjects() const {
    return static_cast<int>(std::count_if(m_objects.begin(), m_objects.end(), [&](const auto& entry) {
        return !entry.second->dead && entry.second->generation == generation;
    }));
}

void ObjectTable::startGeneration() {
    // Zombies are kept only so calls on them within one generation are caught; objects still held
    // stay in memory for good, because their holder will release them some day.
    std::erase_if(m_objects, [](const auto& entry) { return entry.second->dead; });
    // The table's buckets would otherwise stay as large as the busiest generation ever made them.
    m_objects.rehash(0);
    ++generation;
}

std::string ObjectTable::auditText() const {
    return "live=" + std::to_string(liveObjects()) + " double=" + std::to_string(audit.doubleReleases) +
           " dead_calls=" + std::to_string(audit.deadCalls);
}

}  // namespace objects
