// SPDX-License-Identifier: GPL-3.0-or-later
#include "Trace.h"

#include <cstdlib>

namespace sim {

Trace::~Trace() { closeFile(); }

void Trace::record(const std::string& line) {
    if (m_lines.size() >= kMaxLines) m_lines.pop_front();
    m_lines.push_back(line);
    if (!m_fileLookedUp) {
        m_fileLookedUp = true;
        const char* path = std::getenv("TACHYON_SIM_TRACE");
        if (path != nullptr && *path != '\0') {
            m_file = std::fopen(path, "a");
            if (m_file == nullptr) std::fprintf(stderr, "tachyon-sim: cannot append the trace to %s\n", path);
        }
    }
    if (m_file != nullptr) {
        std::fputs(line.c_str(), m_file);
        std::fputc('\n', m_file);
        // Flushed per line so the file is complete even if the program under watch crashes.
        std::fflush(m_file);
    }
}

bool isReferenceCountingLine(const std::string& line) {
    const auto arrow = line.find(" -> ");
    const std::string call = line.substr(0, arrow);
    auto endsWith = [&](const char* suffix) {
        const std::string s(suffix);
        return call.size() >= s.size() && call.compare(call.size() - s.size(), s.size(), s) == 0;
    };
    return endsWith(".Acquire") || endsWith(".Release");
}

std::string Trace::text(bool withReferenceCounting) const {
    std::string out;
    for (const auto& line : m_lines) {
        if (!withReferenceCounting && isReferenceCountingLine(line)) continue;
        if (!out.empty()) out += '\n';
        out += line;
    }
    return out;
}

void Trace::clear() { m_lines.clear(); }

void Trace::closeFile() {
    if (m_file != nullptr) std::fclose(m_file);
    m_file = nullptr;
    m_fileLookedUp = false;
}

}  // namespace sim
