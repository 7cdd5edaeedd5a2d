// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's command line. Without arguments Tachyon opens its window; the options serve the
// boot service, the sleep hook and scripts.

#include <QString>
#include <optional>

enum class CommandMode { Window, Help, Version, Apply, Status, Persist, Forget, Persisted, Invalid };

struct CommandLine {
    CommandMode mode = CommandMode::Window;
    QString profile;              // --apply, --persist
    QString name;                 // --forget
    std::optional<unsigned> gpu;  // --gpu: a position in the GPU list, from 0
    bool json = false;            // --status --json
    QString error;                // what was wrong, for Invalid
};

CommandLine ParseCommandLine(int argc, char* argv[]);

// The usage text, ending in a newline.
QString UsageText();
