// SPDX-License-Identifier: GPL-3.0-or-later
#include "EnvironmentFile.h"

#include <algorithm>

namespace mesa {

namespace {

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// The key a line assigns, or empty for a comment, a blank or a line without '='.
std::string_view keyOf(std::string_view line) {
    const std::string_view t = trimmed(line);
    if (t.empty() || t.front() == '#' || t.front() == ';') return {};
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return {};
    return trimmed(t.substr(0, eq));
}

// The right-hand side as the user manager reads it: double quotes with backslash escapes, single
// quotes literal, a bare word trimmed.
std::string unquoted(std::string_view raw) {
    raw = trimmed(raw);
    if (raw.size() >= 2 && raw.front() == '\'' && raw.back() == '\'') return std::string(raw.substr(1, raw.size() - 2));
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
        std::string out;
        const std::string_view inner = raw.substr(1, raw.size() - 2);
        for (std::size_t i = 0; i < inner.size(); ++i) {
            if (inner[i] == '\\' && i + 1 < inner.size()) ++i;
            out += inner[i];
        }
        return out;
    }
    return std::string(raw);
}

bool plainWord(std::string_view v) {
    return !v.empty() && std::all_of(v.begin(), v.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
               c == '/' || c == '-' || c == ':' || c == ',' || c == '+';
    });
}

}  // namespace

std::string quoteEnvironmentValue(std::string_view value) {
    if (plainWord(value)) return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\' || c == '$' || c == '`') out += '\\';
        out += c;
    }
    return out + "\"";
}

EnvironmentFile EnvironmentFile::parse(std::string_view text) {
    EnvironmentFile f;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        f.m_lines.emplace_back(text.substr(0, nl));
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    }
    return f;
}

std::optional<std::string> EnvironmentFile::get(std::string_view key) const {
    for (auto it = m_lines.rbegin(); it != m_lines.rend(); ++it)
        if (keyOf(*it) == key) return unquoted(std::string_view(*it).substr(it->find('=') + 1));
    return std::nullopt;
}

void EnvironmentFile::set(std::string_view key, std::string_view value) {
    const std::string line = std::string(key) + "=" + quoteEnvironmentValue(value);
    auto last = std::find_if(m_lines.rbegin(), m_lines.rend(), [&](const std::string& l) { return keyOf(l) == key; });
    if (last == m_lines.rend()) {
        m_lines.push_back(line);
        return;
    }
    *last = line;
    const std::size_t keep = static_cast<std::size_t>(m_lines.rend() - last - 1);
    for (std::size_t i = keep; i-- > 0;)
        if (keyOf(m_lines[i]) == key) m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
}

void EnvironmentFile::remove(std::string_view key) {
    std::erase_if(m_lines, [&](const std::string& l) { return keyOf(l) == key; });
}

bool EnvironmentFile::empty() const {
    return std::none_of(m_lines.begin(), m_lines.end(), [](const std::string& l) { return !keyOf(l).empty(); });
}

std::string EnvironmentFile::text() const {
    std::string out;
    for (const std::string& l : m_lines) out += l + "\n";
    return out;
}

std::optional<std::string> dxvkOption(std::string_view config, std::string_view key) {
    std::optional<std::string> value;
    while (!config.empty()) {
        const auto semi = config.find(';');
        const std::string_view item = trimmed(config.substr(0, semi));
        const auto eq = item.find('=');
        if (eq != std::string_view::npos && trimmed(item.substr(0, eq)) == key)
            value = std::string(trimmed(item.substr(eq + 1)));
        config = semi == std::string_view::npos ? std::string_view{} : config.substr(semi + 1);
    }
    return value;
}

std::string withDxvkOption(std::string_view config, std::string_view key, std::optional<std::string_view> value) {
    std::string out;
    auto add = [&](std::string_view item) {
        if (!out.empty()) out += ';';
        out += item;
    };
    while (!config.empty()) {
        const auto semi = config.find(';');
        const std::string_view item = trimmed(config.substr(0, semi));
        const auto eq = item.find('=');
        if (!item.empty() && (eq == std::string_view::npos || trimmed(item.substr(0, eq)) != key)) add(item);
        config = semi == std::string_view::npos ? std::string_view{} : config.substr(semi + 1);
    }
    if (value) add(std::string(key) + "=" + std::string(*value));
    return out;
}

}  // namespace mesa
