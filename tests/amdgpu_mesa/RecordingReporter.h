// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "mesa/MesaSettings.h"

// What the settings told: the login notices, the problems, the cache counts.
struct RecordingReporter : mesa::Reporter {
    int environmentChanges = 0;
    std::vector<std::string> problems;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> emptied;
    void environmentChanged() override { ++environmentChanges; }
    void problem(const std::string& reason) override { problems.push_back(reason); }
    void cacheEmptied(std::uint64_t files, std::uint64_t bytes) override { emptied.emplace_back(files, bytes); }
};
