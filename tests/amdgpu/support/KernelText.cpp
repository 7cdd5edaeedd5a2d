// SPDX-License-Identifier: GPL-3.0-or-later
#include "KernelText.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace kernelmodel {

namespace fs = std::filesystem;

// ---- the kernel's number parsing -------------------------------------------------------------

// _kstrtoull: base 0 picks 16 for "0x<hex>", 8 for a leading 0, else 10; at least one digit;
// one trailing newline allowed; nothing else after the digits.
int ParseUnsigned(std::string_view s, unsigned base, unsigned long long& out) {
    std::size_t i = 0;
    if (base == 0 || base == 16) {
        if (s.size() >= 3 && s[0] == '0' && std::tolower(static_cast<unsigned char>(s[1])) == 'x' &&
            std::isxdigit(static_cast<unsigned char>(s[2]))) {
            base = 16;
            i = 2;
        } else if (base == 0) {
            base = (!s.empty() && s[0] == '0') ? 8 : 10;
        }
    }
    unsigned long long value = 0;
    std::size_t digits = 0;
    bool overflow = false;
    for (; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        unsigned d;
        if (std::isdigit(c))
            d = c - '0';
        else if (std::isalpha(c))
            d = std::tolower(c) - 'a' + 10;
        else
            break;
        if (d >= base) break;
        if (value > (ULLONG_MAX - d) / base) overflow = true;
        value = value * base + d;
        ++digits;
    }
    if (digits == 0) return EINVAL;
    if (overflow) return ERANGE;
    if (i < s.size() && s[i] == '\n') ++i;
    if (i != s.size()) return EINVAL;
    out = value;
    return 0;
}

// kstrtoll / kstrtoull with a leading sign as the kernel takes it.
int KStrToLL(std::string_view s, unsigned base, long long& out) {
    if (!s.empty() && s[0] == '-') {
        unsigned long long v = 0;
        const int r = ParseUnsigned(s.substr(1), base, v);
        if (r != 0) return r;
        if (v > static_cast<unsigned long long>(LLONG_MAX) + 1) return ERANGE;
        out = static_cast<long long>(0 - v);
        return 0;
    }
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    unsigned long long v = 0;
    const int r = ParseUnsigned(s, base, v);
    if (r != 0) return r;
    if (v > static_cast<unsigned long long>(LLONG_MAX)) return ERANGE;
    out = static_cast<long long>(v);
    return 0;
}

int KStrToU32(std::string_view s, unsigned long long& out) {
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    unsigned long long v = 0;
    const int r = ParseUnsigned(s, 10, v);
    if (r != 0) return r;
    if (v > 0xffffffffull) return ERANGE;
    out = v;
    return 0;
}

int KStrToInt(std::string_view s, long long& out) {
    long long v = 0;
    const int r = KStrToLL(s, 10, v);
    if (r != 0) return r;
    if (v < INT_MIN || v > INT_MAX) return ERANGE;
    out = v;
    return 0;
}

// Tokens separated by spaces and newlines, each read with base 0 (strsep + kstrtol); after each
// separator any white space is skipped (the isspace loop of amdgpu_set_pp_od_clk_voltage), so a
// tab after a space is no part of the next token, while a tab inside a token refuses it.
int ParseParams(std::string_view rest, std::vector<long long>& params) {
    std::size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\n')) {
            ++i;
            while (i < rest.size() && std::isspace(static_cast<unsigned char>(rest[i]))) ++i;
        }
        if (i >= rest.size()) break;
        std::size_t end = i;
        while (end < rest.size() && rest[end] != ' ' && rest[end] != '\n') ++end;
        long long value = 0;
        if (KStrToLL(rest.substr(i, end - i), 0, value) != 0) return EINVAL;
        if (params.size() >= 64) return EINVAL;
        params.push_back(value);
        i = end;
    }
    return 0;
}

// ---- reading and re-rendering the kernel's text ----------------------------------------------

std::vector<Piece> Pieces(const std::string& text) {
    std::vector<Piece> pieces;
    std::size_t i = 0;
    while (i < text.size()) {
        const bool separator = text[i] == '\n' || text[i] == '\0';
        std::size_t end = i;
        while (end < text.size() && ((text[end] == '\n' || text[end] == '\0') == separator)) ++end;
        pieces.push_back({!separator, text.substr(i, end - i)});
        i = end;
    }
    return pieces;
}

std::string Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

bool IsHeader(const std::string& line, std::string& name) {
    const std::string t = Trim(line);
    if (t.empty() || t.back() != ':') return false;
    name = t.substr(0, t.size() - 1);
    return true;
}

// Signed decimal numbers of s, in order.
std::vector<long long> Numbers(std::string_view s) {
    std::vector<long long> numbers;
    for (std::size_t i = 0; i < s.size();) {
        const bool minus =
            s[i] == '-' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1]));
        if (minus || std::isdigit(static_cast<unsigned char>(s[i]))) {
            std::size_t end = i + (minus ? 1 : 0);
            while (end < s.size() && std::isdigit(static_cast<unsigned char>(s[end]))) ++end;
            numbers.push_back(std::stoll(std::string(s.substr(i, end - i))));
            i = end;
        } else {
            ++i;
        }
    }
    return numbers;
}

// "<index>: <numbers>" or just "<numbers>".
bool SplitIndexed(const std::string& line, std::optional<int>& index, std::vector<long long>& values) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) {
        values = Numbers(line);
        return !values.empty();
    }
    const std::vector<long long> head = Numbers(line.substr(0, colon));
    if (head.size() != 1) return false;
    index = static_cast<int>(head[0]);
    values = Numbers(line.substr(colon + 1));
    return !values.empty();
}

// Puts the values in place of the numbers after the colon (or of the whole line without one).
// A field printed with a width (more than one space before it) keeps its width, so the columns
// of a Polaris table stay where the kernel puts them.
std::string ReplaceNumbers(const std::string& line, const std::vector<long long>& values) {
    const std::size_t colon = line.find(':');
    std::size_t i = colon == std::string::npos ? 0 : colon + 1;
    std::string out = line.substr(0, i);
    std::size_t k = 0;
    while (i < line.size()) {
        std::size_t spaces = 0;
        while (i + spaces < line.size() && line[i + spaces] == ' ') ++spaces;
        std::size_t start = i + spaces;
        const bool minus = start < line.size() && line[start] == '-' && start + 1 < line.size() &&
                           std::isdigit(static_cast<unsigned char>(line[start + 1]));
        if (k < values.size() && start < line.size() &&
            (minus || std::isdigit(static_cast<unsigned char>(line[start])))) {
            std::size_t end = start + (minus ? 1 : 0);
            while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end]))) ++end;
            const std::string number = std::to_string(values[k++]);
            const std::size_t width = spaces + (end - start);
            if (spaces >= 2) {
                const std::size_t pad = width > number.size() ? width - number.size() : 1;
                out += std::string(pad, ' ') + number;
            } else {
                out += std::string(spaces, ' ') + number;
            }
            i = end;
        } else {
            out += line.substr(i, spaces);
            i += spaces;
            if (i < line.size()) out += line[i++];
        }
    }
    return out;
}

std::string ReplaceFirstNumber(const std::string& text, long long value) {
    std::size_t i = 0;
    while (i < text.size() && !std::isdigit(static_cast<unsigned char>(text[i])) && text[i] != '-') ++i;
    std::size_t end = i;
    if (end < text.size() && text[end] == '-') ++end;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (i == text.size()) return std::to_string(value) + "\n";
    return text.substr(0, i) + std::to_string(value) + text.substr(end);
}

std::optional<long long> FirstNumber(const std::string& text) {
    const std::vector<long long> n = Numbers(text);
    if (n.empty()) return std::nullopt;
    return n.front();
}

// pp_od_clk_voltage: the table, the ranges and the sections printed.
void ParseOd(const std::string& text, OdTable& table, std::map<std::string, Range>& ranges,
             std::set<std::string>& sections) {
    std::string section;
    for (const Piece& p : Pieces(text)) {
        if (!p.line) continue;
        std::string name;
        if (IsHeader(p.text, name)) {
            section = name;
            sections.insert(name);
            continue;
        }
        if (section == "OD_RANGE") {
            const std::size_t colon = p.text.find(':');
            if (colon == std::string::npos) continue;
            const std::vector<long long> n = Numbers(p.text.substr(colon + 1));
            if (n.size() >= 2) ranges[Trim(p.text.substr(0, colon))] = {n[0], n[1]};
            continue;
        }
        std::optional<int> index;
        std::vector<long long> v;
        if (!SplitIndexed(p.text, index, v)) continue;
        if (section == "OD_VDDGFX_OFFSET")
            table.vddgfxOffset = v[0];
        else if (section == "OD_SCLK_OFFSET")
            table.sclkOffset = v[0];
        else if (!index)
            continue;
        else if (section == "OD_SCLK")
            table.sclk[*index] = {v[0], v.size() > 1 ? std::optional(v[1]) : std::nullopt};
        else if (section == "OD_MCLK")
            table.mclk[*index] = {v[0], v.size() > 1 ? std::optional(v[1]) : std::nullopt};
        else if (section == "OD_VDDC_CURVE")
            table.curve[*index] = {v.size() > 1 ? v[0] : 0, v.size() > 1 ? v[1] : v[0]};
        else if (section == "OD_CCLK" || section.rfind("CCLK_RANGE", 0) == 0)
            table.cclk[*index] = {v[0], {}};
    }
}

std::string RenderOd(const std::string& tmpl, const OdTable& t) {
    std::string out, section;
    for (const Piece& p : Pieces(tmpl)) {
        std::string name;
        if (!p.line || IsHeader(p.text, name)) {
            if (p.line) section = name;
            out += p.text;
            continue;
        }
        std::optional<int> index;
        std::vector<long long> v;
        std::vector<long long> now;
        if (section != "OD_RANGE" && SplitIndexed(p.text, index, v)) {
            auto level = [&](const std::map<int, Level>& m) {
                if (!index) return;
                const auto it = m.find(*index);
                if (it == m.end()) return;
                now.push_back(it->second.mhz);
                if (it->second.mv) now.push_back(*it->second.mv);
            };
            if (section == "OD_VDDGFX_OFFSET" && t.vddgfxOffset)
                now = {*t.vddgfxOffset};
            else if (section == "OD_SCLK_OFFSET" && t.sclkOffset)
                now = {*t.sclkOffset};
            else if (section == "OD_SCLK")
                level(t.sclk);
            else if (section == "OD_MCLK")
                level(t.mclk);
            else if (section == "OD_CCLK" || section.rfind("CCLK_RANGE", 0) == 0)
                level(t.cclk);
            else if (section == "OD_VDDC_CURVE" && index && t.curve.count(*index)) {
                const Level& c = t.curve.at(*index);
                now = v.size() > 1 ? std::vector<long long>{c.mhz, *c.mv} : std::vector<long long>{*c.mv};
            }
        }
        out += now.empty() ? p.text : ReplaceNumbers(p.text, now);
    }
    return out;
}

// A fan_ctrl file: its values and its ranges ("<KEY>" -> range).
void ParseFan(const std::string& name, const std::string& text, OdTable& table,
              std::map<std::string, Range>& ranges) {
    bool inRange = false, beforeHeader = true;
    for (const Piece& p : Pieces(text)) {
        if (!p.line) continue;
        std::string header;
        if (IsHeader(p.text, header)) {
            inRange = header == "OD_RANGE";
            beforeHeader = false;
            continue;
        }
        if (inRange) {
            const std::size_t colon = p.text.find(':');
            if (colon == std::string::npos) continue;
            const std::vector<long long> n = Numbers(p.text.substr(colon + 1));
            if (n.size() >= 2) ranges[name + "/" + Trim(p.text.substr(0, colon))] = {n[0], n[1]};
            continue;
        }
        if (beforeHeader) continue;
        std::optional<int> index;
        std::vector<long long> v;
        if (!SplitIndexed(p.text, index, v)) continue;
        if (name == "fan_curve" && index && v.size() >= 2)
            table.fanCurve[*index] = {v[0], v[1]};
        else if (name != "fan_curve" && !index)
            table.fanSettings[name] = v[0];
    }
}

std::string RenderFan(const std::string& name, const std::string& tmpl, const OdTable& t) {
    std::string out;
    bool inRange = false, seenHeader = false;
    for (const Piece& p : Pieces(tmpl)) {
        std::string header;
        if (!p.line || IsHeader(p.text, header)) {
            if (p.line) {
                inRange = header == "OD_RANGE";
                seenHeader = true;
            }
            out += p.text;
            continue;
        }
        std::optional<int> index;
        std::vector<long long> v;
        std::vector<long long> now;
        if (!inRange && seenHeader && SplitIndexed(p.text, index, v)) {
            if (name == "fan_curve" && index && t.fanCurve.count(*index)) {
                const auto& point = t.fanCurve.at(*index);
                now = {point.first, point.second};
            } else if (name != "fan_curve" && !index && t.fanSettings.count(name)) {
                now = {t.fanSettings.at(name)};
            }
        }
        out += now.empty() ? p.text : ReplaceNumbers(p.text, now);
    }
    return out;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Hex4(unsigned value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04x\n", value & 0xffffu);
    return buf;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

const std::set<std::string> kFanFiles = {"fan_curve",
                                         "acoustic_limit_rpm_threshold",
                                         "acoustic_target_rpm_threshold",
                                         "fan_target_temperature",
                                         "fan_minimum_pwm",
                                         "fan_zero_rpm_enable",
                                         "fan_zero_rpm_stop_temperature"};

}  // namespace kernelmodel
