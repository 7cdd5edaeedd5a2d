// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A stand-in for the kernel's files: a tree in memory that records every write in order, counts
// reads, and refuses what a test tells it to. Power caps written are kept, so a read-back shows
// them; everything else is the test's to arrange.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Attributes.h"

class FakeKernel : public amdgpu::Attributes {
public:
    amdgpu::ReadResult read(const std::string& path) override;
    int write(const std::string& path, std::string_view command) override;
    int list(const std::string& dir, std::vector<std::string>& names) override;
    void commandEnded() override { ++commandsEnded; }

    void set(const std::string& path, std::string text) { files[path] = std::move(text); }
    // Copies a captured device folder (fixture/<card>/device) to class/drm/card<N>/device.
    bool mountFixture(const std::string& fixture, int cardNumber = 0);
    // Every file below a folder vanishes, as when a card is unplugged or its driver unbound.
    void removeBelow(const std::string& dir);

    std::map<std::string, std::string> files;
    // Errors a write answers: for every command to a file, or for one exact command.
    std::map<std::string, int> fileErrors;
    std::map<std::string, int> commandErrors;
    std::vector<std::pair<std::string, std::string>> writes;
    // How often the runtime said a user command was over.
    int commandsEnded = 0;
    std::map<std::string, int> reads;
};

std::string fixtureRoot();
