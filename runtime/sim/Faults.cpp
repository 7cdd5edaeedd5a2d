// SPDX-License-Identifier: GPL-3.0-or-later
#include "Faults.h"

#include <cctype>

namespace sim {

namespace {

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

}  // namespace

bool Faults::add(const std::string& raw) {
    const std::string name = trim(raw);
    if (name.empty()) return false;
    const auto hash = name.find('#');
    if (hash != std::string::npos) {
        const std::string index = name.substr(hash + 1);
        if (hash == 0 || index.empty() || index.size() > 9) return false;
        for (char c : index)
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    m_names.insert(name);
    return true;
}

std::string Faults::addList(const std::string& list) {
    std::string refused;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        const std::string item = trim(list.substr(start, comma - start));
        if (!item.empty() && !add(item)) refused += (refused.empty() ? "" : ",") + item;
        start = comma + 1;
    }
    return refused;
}

bool Faults::matches(const std::string& base, int subject) const {
    if (m_names.count(base) != 0) return true;
    return subject >= 0 && m_names.count(base + "#" + std::to_string(subject)) != 0;
}

bool Faults::callFails(const std::string& call, int subject) const { return matches(call, subject); }

bool Faults::queryRefused(const std::string& interfaceName, int subject) const {
    return matches("QueryInterface:" + interfaceName, subject);
}

bool Faults::failsAfterWrite(const std::string& call, int subject) const {
    return matches("FailAfterWrite:" + call, subject);
}

std::string Faults::list() const {
    std::string out;
    for (const auto& n : m_names) out += (out.empty() ? "" : ",") + n;
    return out;
}

}  // namespace sim
