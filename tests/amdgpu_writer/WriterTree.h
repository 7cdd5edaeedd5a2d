// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A temporary sysfs tree laid out like the kernel's (cardN and device are links into devices/),
// and a way to run a program and collect what it said.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

class WriterTree {
public:
    WriterTree();
    ~WriterTree();
    WriterTree(const WriterTree&) = delete;
    WriterTree& operator=(const WriterTree&) = delete;

    const std::filesystem::path& root() const { return m_root; }
    // The amdgpu card0's device folder.
    std::filesystem::path device() const;
    std::string contents(const std::filesystem::path& file) const;

private:
    std::filesystem::path m_root;
};

struct RunResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Runs program with args; env entries are added to (or replace) the test's environment.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env = {}, const std::string& input = {});

std::string binDir();
