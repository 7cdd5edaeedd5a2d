// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The call trace: one line per call, kept in memory for tests and optionally appended to a file
// for people watching a running program.

#include <cstdio>
#include <deque>
#include <string>

namespace sim {

class Trace {
public:
    ~Trace();

    void record(const std::string& line);
    // Lines since the last clear, joined with '\n'. Without reference counting, Acquire and
    // Release lines are left out so tests can compare the calls that carry meaning.
    std::string text(bool withReferenceCounting) const;
    void clear();
    // The file is named by TACHYON_SIM_TRACE; it is looked up again at the next line.
    void closeFile();

private:
    // A long interactive session must not grow without bound; the oldest lines go first.
    static constexpr size_t kMaxLines = 200000;
    std::deque<std::string> m_lines;
    std::FILE* m_file = nullptr;
    bool m_fileLookedUp = false;
};

bool isReferenceCountingLine(const std::string& line);

}  // namespace sim
