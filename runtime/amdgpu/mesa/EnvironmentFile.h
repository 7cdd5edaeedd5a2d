// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A systemd environment.d file: KEY=VALUE lines the user manager reads at login. Lines this
// program does not own (comments, other keys) are kept as they are.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mesa {

class EnvironmentFile {
public:
    static EnvironmentFile parse(std::string_view text);

    // The value of the key's last assignment, unquoted.
    std::optional<std::string> get(std::string_view key) const;
    // Replaces every assignment of the key by one line where its last one was (or at the end).
    void set(std::string_view key, std::string_view value);
    void remove(std::string_view key);
    bool empty() const;

    std::string text() const;

private:
    std::vector<std::string> m_lines;
};

// A value as environment.d reads it back: quoted where it holds anything beyond plain words.
std::string quoteEnvironmentValue(std::string_view value);

// DXVK_CONFIG: "key=value;key=value". Our keys are set or removed, the user's others stay.
std::optional<std::string> dxvkOption(std::string_view config, std::string_view key);
std::string withDxvkOption(std::string_view config, std::string_view key, std::optional<std::string_view> value);

}  // namespace mesa
