#include "KernelModel.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace kernelmodel {

namespace fs = std::filesystem;

const char* FamilyName(Family family) {
    switch (family) {
        case Family::None:
            return "none";
        case Family::Polaris:
            return "polaris";
        case Family::Vega20:
            return "vega20";
        case Family::Navi1x:
            return "navi1x";
        case Family::Navi2x:
            return "navi2x";
        case Family::Navi3x:
            return "navi3x";
        case Family::Rdna4:
            return "rdna4";
        case Family::Apu:
            return "apu";
    }
    return "?";
}

namespace {

struct Range {
    long long min = 0;
    long long max = 0;
    bool Holds(long long v) const { return v >= min && v <= max; }
};

struct Level {
    long long mhz = 0;
    std::optional<long long> mv;
    bool operator==(const Level&) const = default;
};

// One overdrive table: what pp_od_clk_voltage and the fan_ctrl files print.
struct OdTable {
    std::map<int, Level> sclk, mclk, curve, cclk;
    std::optional<long long> sclkOffset, vddgfxOffset;
    std::map<int, std::pair<long long, long long>> fanCurve;  // point -> (C, %)
    std::map<std::string, long long> fanSettings;             // file name -> value
    bool operator==(const OdTable&) const = default;
};

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

// Tokens separated by spaces and newlines, each read with base 0 (strsep + kstrtol).
int ParseParams(std::string_view rest, std::vector<long long>& params) {
    std::size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\n')) ++i;
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

// The text as lines; NUL runs and newlines are kept verbatim between them.
struct Piece {
    bool line = false;
    std::string text;
};

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

}  // namespace

// ---- the card ----------------------------------------------------------------------------------

struct KernelModel::Card {
    int index = 0;
    Family family = Family::None;
    bool removed = false;
    std::map<std::string, std::string> files;  // relative to the device folder -> current bytes
    std::set<std::string> dirs;                // "" is the device folder itself
    std::vector<std::string> connectors;       // "card<N>-DP-1", ...
    std::string hwmon;                         // "hwmon/hwmon<M>", empty without one
    bool overdrive = false;                    // pp_od_clk_voltage prints a table
    std::string odTemplate;
    std::map<std::string, std::string> fanTemplates;  // fan_ctrl file name -> its original text
    std::map<std::string, Range> ranges;              // OD_RANGE keys and "<fan file>/<KEY>"
    OdTable boot, staged, committed;
    bool tableTouched = false;
    int fanMode = 2;  // 0 none, 1 manual, 2 automatic
    bool sleeping = false;
    bool resetting = false;
    int wakeError = 0;
    int wakes = 0;
    std::map<std::string, Range> endLimits;  // "SCLK[0]" -> the limits of that end
    std::optional<long long> effectiveCap;   // where it differs from what power1_cap prints

    bool Has(const std::string& rel) const { return files.count(rel) != 0; }
    std::optional<long long> Number(const std::string& rel) const {
        const auto it = files.find(rel);
        return it == files.end() ? std::nullopt : FirstNumber(it->second);
    }
    std::optional<Range> RangeOf(const std::string& key) const {
        const auto it = ranges.find(key);
        if (it == ranges.end()) return std::nullopt;
        return it->second;
    }

    void RenderTable() {
        if (!tableTouched) return;
        if (overdrive) files["pp_od_clk_voltage"] = RenderOd(odTemplate, staged);
        for (const auto& [name, tmpl] : fanTemplates)
            files["gpu_od/fan_ctrl/" + name] = RenderFan(name, tmpl, staged);
    }

    // Limits of one end of a clock: its own where a test gave them, else the printed range.
    std::optional<Range> EndLimits(const std::string& clock, int level) const {
        const auto it = endLimits.find(clock + "[" + std::to_string(level) + "]");
        return it != endLimits.end() ? std::optional(it->second) : RangeOf(clock);
    }

    // The files amdgpu_pm.c serves: their show functions go through amdgpu_pm_get_access_if_active
    // (EPERM on a sleeping card from 6.13) and amdgpu_pm_dev_state_check (EBUSY in reset, 7.0).
    // The hwmon names and labels are answered without the card.
    bool IsPowerFile(const std::string& rel) const {
        if (StartsWith(rel, "pp_") || StartsWith(rel, "power_dpm_") || StartsWith(rel, "gpu_od/"))
            return true;
        if (hwmon.empty() || !StartsWith(rel, hwmon + "/")) return false;
        const std::string file = rel.substr(hwmon.size() + 1);
        return file != "name" && !file.ends_with("_label");
    }

    // smu_v13_0_0_set_power_limit / smu_v14_0_2_set_power_limit: a cap above the default is the
    // overdrive table's Ppt, so uploading that table (smu_v13_0_0_od_edit_dpm_table,
    // smu_v14_0_2_od_edit_dpm_table, PP_OD_COMMIT_DPM_TABLE) drops the effective cap back to the
    // default while smu->current_power_limit, which power1_cap prints, keeps the chosen one.
    void Commit() {
        committed = staged;
        tableTouched = true;
        if ((family != Family::Navi3x && family != Family::Rdna4) || hwmon.empty()) return;
        const auto defaultCap = Number(hwmon + "/power1_cap_default");
        const auto cap = effectiveCap ? effectiveCap : Number(hwmon + "/power1_cap");
        if (defaultCap && cap && *cap > *defaultCap) effectiveCap = *defaultCap;
    }

    int EditOd(std::string_view command);
    int EditOdTable(char type, const std::vector<long long>& p);
    int EditFan(const std::string& name, std::string_view command);
    int WriteHwmon(const std::string& file, std::string_view command);
    int WritePerformanceLevel(std::string_view command);
};

namespace {

bool IsRdna3Plus(Family f) { return f == Family::Navi3x || f == Family::Rdna4; }

// s/m pairs `<0|1> <MHz>` on the SMU generations, each end checked against its own limits
// (navi10_od_setting_check_range, sienna_cichlid_get_od_setting_range,
// smu_v13_0_0_get_od_setting_limits, smu_v14_0_2_get_od_setting_limits: GFXCLK_FMIN's limits for
// level 0, GFXCLK_FMAX's for level 1).
// perEdit (navi10_od_edit_dpm_table, sienna_cichlid_od_edit_dpm_table): a minimum above the
// stored maximum is refused at its edit and the command changes nothing. Otherwise
// (smu_v13_0_0_od_edit_dpm_table, smu_v13_0_7_od_edit_dpm_table, smu_v14_0_2_od_edit_dpm_table)
// each value is stored into the table as it comes and minimum <= maximum is checked after the
// command: `levels` keeps what was stored before a refusal.
template <class Limits>
int EditPairs(std::map<int, Level>& levels, const std::vector<long long>& p, Limits&& limitsOf,
              const std::set<int>& allowed, bool perEdit) {
    if (p.empty() || p.size() % 2 != 0) return EINVAL;
    std::map<int, Level> copy = levels;
    std::map<int, Level>& edited = perEdit ? copy : levels;
    auto crossed = [&] { return edited.count(0) && edited.count(1) && edited[0].mhz > edited[1].mhz; };
    for (std::size_t i = 0; i < p.size(); i += 2) {
        if (p[i] < INT_MIN || p[i] > INT_MAX || !allowed.count(static_cast<int>(p[i]))) return EINVAL;
        const int level = static_cast<int>(p[i]);
        const std::optional<Range> range = limitsOf(level);
        if (range && !range->Holds(p[i + 1])) return EINVAL;
        edited[level].mhz = p[i + 1];
        if (perEdit && crossed()) return EINVAL;
    }
    if (crossed()) return EINVAL;
    levels = edited;
    return 0;
}

}  // namespace

int KernelModel::Card::EditOd(std::string_view command) {
    // amdgpu_set_pp_od_clk_voltage: the buffer is a C string of at most 127 bytes.
    if (command.empty() || command.size() > 127) return EINVAL;
    command = command.substr(0, command.find('\0'));
    if (command.empty()) return EINVAL;
    std::size_t skip = 1;
    char type = command[0];
    if (StartsWith(command, "vc"))
        type = 'v', skip = 2;
    else if (StartsWith(command, "vo"))
        type = 'o', skip = 2;
    else if (std::string_view("smprc").find(type) == std::string_view::npos)
        return EINVAL;
    std::size_t i = skip;
    while (i < command.size() && std::isspace(static_cast<unsigned char>(command[i]))) ++i;
    std::vector<long long> p;
    if (ParseParams(command.substr(i), p) != 0) return EINVAL;

    if (!overdrive) return EINVAL;
    if (family == Family::Apu) {
        // vangogh_od_edit_dpm_table, smu_v13_0_4/5_od_edit_dpm_table, yellow_carp_od_edit_dpm_table,
        // renoir_od_edit_dpm_table: edits only in the manual level (smu_od_edit_dpm_table passes
        // them on; the APU functions refuse any other level), and `r`/`c` take no numbers.
        const auto it = files.find("power_dpm_force_performance_level");
        if (it == files.end() || Trim(it->second.substr(0, it->second.find('\0'))) != "manual") return EINVAL;
        if ((type == 'r' || type == 'c') && !p.empty()) return EINVAL;
    }

    // amdgpu_set_pp_od_clk_voltage turns every error of the family's edit function into EINVAL.
    const int result = EditOdTable(type, p);
    return result == 0 ? 0 : EINVAL;
}

int KernelModel::Card::EditOdTable(char type, const std::vector<long long>& p) {
    // smu7_odn_edit_dpm_table (Polaris), navi10_od_edit_dpm_table and the APU functions stage the
    // boot table and need a commit; vega20_odn_edit_dpm_table copies the overdrive table back from
    // the firmware (the last committed one) and needs a commit; sienna_cichlid, smu_v13_0_0/7 and
    // smu_v14_0_2 restore the boot table and fall through to the commit.
    const bool resetNeedsCommit = family == Family::Polaris || family == Family::Navi1x ||
                                  family == Family::Vega20 || family == Family::Apu;
    if (type == 'r') {
        const auto fan = staged.fanCurve;
        const auto settings = staged.fanSettings;
        staged = family == Family::Vega20 ? committed : boot;
        if (!IsRdna3Plus(family)) staged.fanCurve = fan, staged.fanSettings = settings;
        if (!resetNeedsCommit) Commit();
        tableTouched = true;
        return 0;
    }
    if (type == 'c') {
        if (family == Family::Apu) {
            for (const auto* m : {&staged.sclk, &staged.cclk}) {
                if (m->count(0) && m->count(1) && m->at(0).mhz > m->at(1).mhz) return EINVAL;
            }
        }
        Commit();
        return 0;
    }

    OdTable edited = staged;
    int result = EINVAL;
    bool keepOnRefusal = false;
    auto limits = [&](const char* clock) {
        return [this, clock](int level) { return EndLimits(clock, level); };
    };
    switch (family) {
        case Family::Polaris:
            if (type == 's' || type == 'm') {
                auto& levels = type == 's' ? edited.sclk : edited.mclk;
                const auto clock = RangeOf(type == 's' ? "SCLK" : "MCLK");
                const auto volt = RangeOf("VDDC");
                result = p.empty() ? EINVAL : 0;
                for (std::size_t k = 0; k < p.size(); k += 3) {
                    // smu7_odn_edit_dpm_table (current kernels): a short triple or a level beyond
                    // the table is refused.
                    if (k + 3 > p.size() || p[k] < 0 || !levels.count(static_cast<int>(p[k]))) {
                        result = EINVAL;
                        break;
                    }
                    if ((clock && !clock->Holds(p[k + 1])) || (volt && !volt->Holds(p[k + 2]))) {
                        result = EINVAL;
                        break;
                    }
                    levels[static_cast<int>(p[k])] = {p[k + 1], p[k + 2]};
                }
            }
            break;
        case Family::Navi1x:
        case Family::Vega20:
            if (type == 's')
                result = EditPairs(edited.sclk, p, limits("SCLK"), {0, 1}, true);
            else if (type == 'm')
                result = EditPairs(edited.mclk, p, limits("MCLK"), {1}, true);
            else if (type == 'v' && !staged.curve.empty()) {
                result = EINVAL;
                if (p.size() == 3 && p[0] >= 0 && p[0] <= 2) {
                    const std::string n = std::to_string(p[0]);
                    const auto clock = RangeOf("VDDC_CURVE_SCLK[" + n + "]");
                    const auto volt = RangeOf("VDDC_CURVE_VOLT[" + n + "]");
                    if ((!clock || clock->Holds(p[1])) && (!volt || volt->Holds(p[2]))) {
                        edited.curve[static_cast<int>(p[0])] = {p[1], p[2]};
                        result = 0;
                    }
                }
            }
            break;
        case Family::Navi2x:
        case Family::Navi3x:
        case Family::Rdna4:
            if (type == 's' && family == Family::Rdna4) {
                const auto range = RangeOf("SCLK_OFFSET");
                result = (p.size() == 1 && (!range || range->Holds(p[0]))) ? 0 : EINVAL;
                if (result == 0) edited.sclkOffset = p[0];
            } else if (type == 's') {
                result = EditPairs(edited.sclk, p, limits("SCLK"), {0, 1}, family == Family::Navi2x);
                keepOnRefusal = family != Family::Navi2x;
            } else if (type == 'm') {
                result = EditPairs(edited.mclk, p, limits("MCLK"), {0, 1}, family == Family::Navi2x);
                keepOnRefusal = family != Family::Navi2x;
            } else if (type == 'o') {
                const auto range = RangeOf("VDDGFX_OFFSET");
                result = (p.size() == 1 && (family == Family::Navi2x || !range || range->Holds(p[0])))
                             ? 0
                             : EINVAL;
                // Navi2x keeps the offset in a 16-bit field and checks nothing.
                if (result == 0)
                    edited.vddgfxOffset = family == Family::Navi2x ? static_cast<int16_t>(p[0]) : p[0];
            }
            break;
        case Family::Apu: {
            // A minimum is checked against the floor only (gfx_default_hard_min_freq), a maximum
            // against the ceiling only (gfx_default_soft_max_freq); their order at the commit.
            auto within = [](const std::optional<Range>& range, long long level, long long mhz) {
                if (!range) return true;
                return level == 0 ? mhz >= range->min : mhz <= range->max;
            };
            if (type == 's') {
                if (p.size() == 2 && (p[0] == 0 || p[0] == 1) && within(RangeOf("SCLK"), p[0], p[1])) {
                    edited.sclk[static_cast<int>(p[0])].mhz = p[1];
                    result = 0;
                }
            } else if (type == 'p' && !staged.cclk.empty()) {
                if (p.size() == 3 && p[0] >= 0 && p[0] < 4 && (p[1] == 0 || p[1] == 1) &&
                    within(RangeOf("CCLK"), p[1], p[2])) {
                    edited.cclk[static_cast<int>(p[1])].mhz = p[2];
                    result = 0;
                }
            }
            break;
        }
        case Family::None:
            break;
    }
    if (result != 0 && !keepOnRefusal) return result;
    staged = edited;
    tableTouched = true;
    return result;
}

int KernelModel::Card::EditFan(const std::string& name, std::string_view command) {
    // parse_input_od_command_lines: at most 127 bytes, leading white space skipped.
    if (command.size() > 127) return EINVAL;
    command = command.substr(0, command.find('\0'));
    std::size_t i = 0;
    while (i < command.size() && std::isspace(static_cast<unsigned char>(command[i]))) ++i;
    command.remove_prefix(i);
    if (!command.empty() && command[0] == 'c') {
        Commit();
        return 0;
    }
    if (!command.empty() && command[0] == 'r') {
        if (name == "fan_curve")
            staged.fanCurve = boot.fanCurve;
        else if (boot.fanSettings.count(name))
            staged.fanSettings[name] = boot.fanSettings.at(name);
        Commit();
        return 0;
    }
    std::vector<long long> p;
    if (ParseParams(command, p) != 0) return EINVAL;
    if (name == "fan_curve") {
        const auto temp = RangeOf("fan_curve/FAN_CURVE(hotspot temp)");
        const auto speed = RangeOf("fan_curve/FAN_CURVE(fan speed)");
        if (p.size() != 3 || p[0] < 0 || p[0] > 4) return EINVAL;
        if ((temp && !temp->Holds(p[1])) || (speed && !speed->Holds(p[2]))) return EINVAL;
        staged.fanCurve[static_cast<int>(p[0])] = {p[1], p[2]};
    } else {
        std::optional<Range> range;
        for (const auto& [key, r] : ranges) {
            if (StartsWith(key, name + "/")) range = r;
        }
        if (p.size() != 1 || (range && !range->Holds(p[0]))) return EINVAL;
        staged.fanSettings[name] = p[0];
    }
    tableTouched = true;
    return 0;
}

int KernelModel::Card::WriteHwmon(const std::string& file, std::string_view command) {
    const std::string rel = hwmon + "/" + file;
    const std::string text(command.substr(0, command.find('\0')));
    if (file == "power1_cap") {
        unsigned long long microwatts = 0;
        if (const int r = KStrToU32(text, microwatts); r != 0) return r;
        long long watts = static_cast<long long>(microwatts / 1000000);
        const long long minW = Number(hwmon + "/power1_cap_min").value_or(0) / 1000000;
        const long long maxW = Number(hwmon + "/power1_cap_max").value_or(LLONG_MAX) / 1000000;
        const long long defaultW = Number(hwmon + "/power1_cap_default").value_or(0) / 1000000;
        // pp_set_power_limit (powerplay): 0 is the default cap. smu_set_power_limit checks the
        // range first, so 0 is EINVAL where the minimum is above 0, and otherwise keeps the
        // current cap.
        if (watts == 0 && family == Family::Polaris) watts = defaultW;
        if (watts < minW || watts > maxW) return EINVAL;
        if (watts == 0) watts = Number(rel).value_or(0) / 1000000;
        files[rel] = ReplaceFirstNumber(files[rel], watts * 1000000);
        effectiveCap.reset();
        return 0;
    }
    long long value = 0;
    if (file == "pwm1_enable" || file == "fan1_enable") {
        if (const int r = KStrToInt(text, value); r != 0) return r;
        if (file == "pwm1_enable" && (value < 0 || value > 2)) return EINVAL;
        if (file == "fan1_enable" && (value < 0 || value > 1)) return EINVAL;
        fanMode = file == "pwm1_enable" ? static_cast<int>(value) : (value == 1 ? 1 : 2);
        if (Has(hwmon + "/pwm1_enable"))
            files[hwmon + "/pwm1_enable"] = ReplaceFirstNumber(files[hwmon + "/pwm1_enable"], fanMode);
        if (Has(hwmon + "/fan1_enable"))
            files[hwmon + "/fan1_enable"] =
                ReplaceFirstNumber(files[hwmon + "/fan1_enable"], fanMode == 1 ? 1 : 0);
        return 0;
    }
    unsigned long long u = 0;
    if (const int r = KStrToU32(text, u); r != 0) return r;
    // amdgpu_hwmon_set_fan1_target: ENODATA outside manual mode; amdgpu_hwmon_set_pwm1: EINVAL.
    if (fanMode != 1) return file == "fan1_target" ? ENODATA : EINVAL;
    if (file == "pwm1" && u > 255) return EINVAL;
    if (file == "fan1_target" &&
        (static_cast<long long>(u) < Number(hwmon + "/fan1_min").value_or(0) ||
         static_cast<long long>(u) > Number(hwmon + "/fan1_max").value_or(LLONG_MAX)))
        return EINVAL;
    files[rel] = ReplaceFirstNumber(files[rel], static_cast<long long>(u));
    return 0;
}

int KernelModel::Card::WritePerformanceLevel(std::string_view command) {
    // amdgpu_set_power_dpm_force_performance_level compares the whole word (sysfs_streq: one
    // trailing newline allowed).
    static const char* const levels[] = {"low",
                                         "high",
                                         "auto",
                                         "manual",
                                         "profile_exit",
                                         "profile_standard",
                                         "profile_min_sclk",
                                         "profile_min_mclk",
                                         "profile_peak",
                                         "perf_determinism"};
    std::string_view word = command;
    if (!word.empty() && word.back() == '\n') word.remove_suffix(1);
    for (const char* level : levels) {
        if (word != level) continue;
        files["power_dpm_force_performance_level"] = std::string(level) + "\n";
        // vangogh_set_performance_level, smu_v13_0_4/5_set_performance_level,
        // yellow_carp_set_performance_level: `auto` puts the clocks back to their defaults.
        if (family == Family::Apu && word == "auto") {
            staged = committed = boot;
            tableTouched = true;
        }
        return 0;
    }
    return EINVAL;
}

// ---- the model ---------------------------------------------------------------------------------

KernelModel::KernelModel() = default;
KernelModel::~KernelModel() = default;

std::unique_ptr<KernelModel> KernelModel::FromTrees(const std::vector<fs::path>& trees, std::string* error) {
    auto model = std::make_unique<KernelModel>();
    for (const fs::path& tree : trees) {
        if (!model->AddCard(tree, error)) return nullptr;
    }
    return model;
}

bool KernelModel::AddCard(const fs::path& tree, std::string* error) {
    const fs::path device = tree / "device";
    std::error_code ec;
    if (!fs::is_directory(device, ec)) {
        if (error) *error = tree.string() + " has no device folder";
        return false;
    }
    auto card = std::make_unique<Card>();
    card->index = static_cast<int>(m_cards.size());
    const std::string me = "card" + std::to_string(card->index);
    card->dirs.insert("");
    std::string captured;  // the tree's own card name under device/drm
    for (auto it = fs::recursive_directory_iterator(device, ec); it != fs::recursive_directory_iterator();
         ++it) {
        std::string rel = fs::relative(it->path(), device).generic_string();
        if (StartsWith(rel, "drm/card")) {
            const std::size_t end = rel.find_first_of("/-", 4);
            if (captured.empty())
                captured = rel.substr(4, end == std::string::npos ? std::string::npos : end - 4);
        }
        if (!captured.empty() && StartsWith(rel, "drm/")) {
            for (std::size_t pos = 0; (pos = rel.find(captured, pos)) != std::string::npos; pos += me.size())
                rel.replace(pos, captured.size(), me);
        }
        if (it->is_directory())
            card->dirs.insert(rel);
        else
            card->files[rel] = ReadFile(it->path());
    }
    for (const std::string& d : card->dirs) {
        if (StartsWith(d, "hwmon/hwmon") && d.find('/', 6) == std::string::npos) card->hwmon = d;
        if (StartsWith(d, "drm/" + me + "/" + me + "-") &&
            d.find('/', 5 + 2 * me.size()) == std::string::npos)
            card->connectors.push_back(d.substr(5 + me.size()));
    }
    for (const std::string& connector : card->connectors) {
        const std::string edid = "drm/" + me + "/" + connector + "/edid";
        if (!card->Has(edid)) card->files[edid] = "";
    }

    // What a live kernel always has, when the capture left it out.
    std::map<std::string, std::string> uevent;
    if (card->Has("uevent")) {
        const std::string& text = card->files["uevent"];
        std::istringstream in(text.substr(0, text.find('\0')));
        for (std::string line; std::getline(in, line);) {
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos) uevent[line.substr(0, eq)] = Trim(line.substr(eq + 1));
        }
    }
    auto ids = [&](const std::string& key, const char* first, const char* second) {
        const std::string v = uevent[key];
        const std::size_t colon = v.find(':');
        if (colon == std::string::npos) return;
        if (!card->Has(first)) card->files[first] = Hex4(std::stoul(v.substr(0, colon), nullptr, 16));
        if (!card->Has(second)) card->files[second] = Hex4(std::stoul(v.substr(colon + 1), nullptr, 16));
    };
    ids("PCI_ID", "vendor", "device");
    ids("PCI_SUBSYS_ID", "subsystem_vendor", "subsystem_device");
    if (!uevent["DRIVER"].empty()) card->dirs.insert("driver");
    if (!card->Has("power_dpm_force_performance_level"))
        card->files["power_dpm_force_performance_level"] = "auto\n";

    // The overdrive table.
    std::set<std::string> sections;
    if (card->Has("pp_od_clk_voltage")) {
        card->odTemplate = card->files["pp_od_clk_voltage"];
        ParseOd(card->odTemplate, card->boot, card->ranges, sections);
    }
    for (const std::string& name : kFanFiles) {
        const std::string rel = "gpu_od/fan_ctrl/" + name;
        if (!card->Has(rel)) continue;
        card->fanTemplates[name] = card->files[rel];
        ParseFan(name, card->files[rel], card->boot, card->ranges);
    }
    const OdTable& t = card->boot;
    const bool levelVolts = !t.sclk.empty() && t.sclk.begin()->second.mv.has_value();
    const bool curveClocks = !t.curve.empty() && t.curve.begin()->second.mhz != 0;
    // A Navi 1x or Vega20 card without the curve prints only level 1 of OD_MCLK.
    const bool memoryTopOnly = t.mclk.size() == 1 && t.mclk.count(1) && !levelVolts;
    Family family = Family::None;
    if (sections.count("OD_SCLK_OFFSET"))
        family = Family::Rdna4;
    else if (curveClocks || (memoryTopOnly && !sections.count("OD_VDDGFX_OFFSET")))
        family = Family::Navi1x;
    else if (levelVolts)
        family = Family::Polaris;
    else if (sections.count("OD_VDDGFX_OFFSET"))
        family = card->ranges.count("VDDGFX_OFFSET") ? Family::Navi3x : Family::Navi2x;
    else if (sections.count("OD_SCLK") && !sections.count("OD_MCLK"))
        family = Family::Apu;
    else if (sections.count("OD_SCLK"))
        family = Family::Navi2x;
    // Vega20 (0x66A0-0x66AF) prints what Navi 1x prints; its reset differs.
    const std::string pciId = uevent["PCI_ID"];
    if (family == Family::Navi1x && pciId.size() == 9) {
        const unsigned long device = std::stoul(pciId.substr(5), nullptr, 16);
        if (device >= 0x66A0 && device <= 0x66AF) family = Family::Vega20;
    }
    card->family = family;
    card->overdrive = family != Family::None;
    card->staged = card->committed = card->boot;

    if (!card->hwmon.empty()) {
        if (auto mode = card->Number(card->hwmon + "/pwm1_enable"))
            card->fanMode = static_cast<int>(*mode);
        else if (auto on = card->Number(card->hwmon + "/fan1_enable"))
            card->fanMode = *on == 1 ? 1 : 2;
    }
    m_cards.push_back(std::move(card));
    return true;
}

int KernelModel::CardCount() const { return static_cast<int>(m_cards.size()); }

Family KernelModel::FamilyOf(int card) const { return m_cards.at(card)->family; }

std::string KernelModel::DevicePath(int card, const std::string& relative) {
    return "class/drm/card" + std::to_string(card) + "/device" + (relative.empty() ? "" : "/" + relative);
}

std::string KernelModel::HwmonPath(int card, const std::string& file) const {
    return DevicePath(card, m_cards.at(card)->hwmon + "/" + file);
}

// Where a path leads: a card's device file or folder, or one of the few nodes around the cards.
struct KernelModel::Resolved {
    bool found = false;
    Card* card = nullptr;
    std::string rel;                                // within the card's device folder
    std::optional<std::string> text;                // a file outside the cards
    std::optional<std::vector<std::string>> names;  // a folder outside the cards
};

KernelModel::Resolved KernelModel::Resolve(const std::string& raw) const {
    std::string path = raw;
    while (!path.empty() && path.back() == '/') path.pop_back();
    while (StartsWith(path, "/")) path.erase(0, 1);
    Resolved r;
    auto folder = [&](std::vector<std::string> names) {
        r.found = true;
        std::sort(names.begin(), names.end());
        r.names = std::move(names);
        return r;
    };
    auto file = [&](std::string text) {
        r.found = true;
        r.text = std::move(text);
        return r;
    };
    const bool anyOverdrive =
        std::any_of(m_cards.begin(), m_cards.end(), [](const auto& c) { return c->overdrive; });
    if (path.empty()) return folder({"class", "module"});
    if (path == "class") return folder({"drm"});
    if (path == "module") return folder({"amdgpu"});
    if (path == "module/amdgpu") return folder({"parameters"});
    if (path == "module/amdgpu/parameters") return folder({"ppfeaturemask"});
    if (path == "module/amdgpu/parameters/ppfeaturemask") {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%#08x\n",
                      m_ppFeatureMask.value_or(anyOverdrive ? 0xffffffffu : 0xfff7bfffu));
        return file(buf);
    }
    if (path == "class/drm/version") return file("drm 1.1.0 20060810\n");
    if (path == "class/drm") {
        std::vector<std::string> names{"version"};
        for (const auto& c : m_cards) {
            if (c->removed) continue;
            const std::string n = std::to_string(c->index);
            names.push_back("card" + n);
            names.push_back("renderD" + std::to_string(128 + c->index));
            for (const std::string& conn : c->connectors) names.push_back(conn);
        }
        return folder(names);
    }
    if (!StartsWith(path, "class/drm/")) return r;
    std::string rest = path.substr(10);
    const std::size_t slash = rest.find('/');
    const std::string node = rest.substr(0, slash);
    rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
    for (const auto& c : m_cards) {
        if (c->removed) continue;
        const std::string me = "card" + std::to_string(c->index);
        const std::string render = "renderD" + std::to_string(128 + c->index);
        std::string rel;
        if (node == me || node == render) {
            if (rest.empty()) {
                std::vector<std::string> names{"dev", "device", "uevent"};
                if (node == me) names.insert(names.end(), c->connectors.begin(), c->connectors.end());
                return folder(names);
            }
            if (rest == "dev")
                return file("226:" + std::to_string(node == me ? c->index : 128 + c->index) + "\n");
            if (rest == "uevent")
                return file("MAJOR=226\nMINOR=" + std::to_string(node == me ? c->index : 128 + c->index) +
                            "\nDEVNAME=dri/" + node + "\nDEVTYPE=drm_minor\n");
            if (rest == "device")
                rel = "";
            else if (StartsWith(rest, "device/"))
                rel = rest.substr(7);
            else if (node == me && std::find(c->connectors.begin(), c->connectors.end(),
                                             rest.substr(0, rest.find('/'))) != c->connectors.end())
                rel = "drm/" + me + "/" + rest;
            else
                return r;
        } else if (std::find(c->connectors.begin(), c->connectors.end(), node) != c->connectors.end()) {
            rel = "drm/" + me + "/" + node + (rest.empty() ? "" : "/" + rest);
        } else {
            continue;
        }
        if (c->dirs.count(rel) || c->files.count(rel)) {
            r.found = true;
            r.card = c.get();
            r.rel = rel;
        }
        return r;
    }
    return r;
}

amdgpu::ReadResult KernelModel::read(const std::string& path) {
    ++m_readCounts[path];
    const Resolved r = Resolve(path);
    if (!r.found) return {ENOENT, {}};
    if (r.text) return {0, *r.text};
    if (r.names || r.card->dirs.count(r.rel)) return {EISDIR, {}};
    if (r.card->IsPowerFile(r.rel)) {
        // amdgpu_pm_dev_state_check (EBUSY in reset, kernel 7.0), amdgpu_pm_get_access_if_active
        // (EPERM on a card in runtime suspend, kernel 6.13 and later).
        if (r.card->resetting) return {EBUSY, {}};
        if (r.card->sleeping) return {EPERM, {}};
    }
    return {0, r.card->files.at(r.rel)};
}

int KernelModel::list(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    const Resolved r = Resolve(dir);
    if (!r.found) return ENOENT;
    if (r.names) {
        names = *r.names;
        return 0;
    }
    if (r.text || !r.card->dirs.count(r.rel)) return ENOTDIR;
    const std::string prefix = r.rel.empty() ? "" : r.rel + "/";
    std::set<std::string> found;
    auto add = [&](const std::string& entry) {
        if (!StartsWith(entry, prefix) || entry.size() == prefix.size()) return;
        const std::string tail = entry.substr(prefix.size());
        if (tail.find('/') == std::string::npos) found.insert(tail);
    };
    for (const auto& [rel, bytes] : r.card->files) add(rel);
    for (const std::string& d : r.card->dirs) add(d);
    names.assign(found.begin(), found.end());
    return 0;
}

int KernelModel::write(const std::string& path, std::string_view command) {
    WriteRecord record{path, std::string(command), 0};
    auto finish = [&](int error) {
        record.error = error;
        m_writes.push_back(record);
        return error;
    };
    const Resolved r = Resolve(path);
    if (m_failNext && (m_failNext->second.empty() || path.ends_with(m_failNext->second))) {
        const int error = m_failNext->first;
        m_failNext.reset();
        return finish(error);
    }
    if (!r.found) return finish(ENOENT);
    if (r.names || (r.card && r.card->dirs.count(r.rel))) return finish(EISDIR);
    if (!r.card) return finish(EACCES);
    return finish(WriteCard(*r.card, r.rel, command));
}

int KernelModel::WriteCard(Card& card, const std::string& rel, std::string_view command) {
    if (card.IsPowerFile(rel)) {
        // The store functions use amdgpu_pm_get_access: EBUSY in reset, else the card is resumed.
        if (card.resetting) return EBUSY;
        card.sleeping = false;
    }
    int result = EACCES;
    if (rel == "pp_od_clk_voltage") {
        result = card.EditOd(command);
    } else if (StartsWith(rel, "gpu_od/fan_ctrl/") && kFanFiles.count(rel.substr(16))) {
        result = card.EditFan(rel.substr(16), command);
    } else if (!card.hwmon.empty() && StartsWith(rel, card.hwmon + "/")) {
        const std::string file = rel.substr(card.hwmon.size() + 1);
        if (file == "power1_cap" || file == "pwm1_enable" || file == "fan1_enable" || file == "pwm1" ||
            file == "fan1_target")
            result = card.WriteHwmon(file, command);
    } else if (rel == "power_dpm_force_performance_level") {
        result = card.WritePerformanceLevel(command);
    } else if (rel == "pp_dpm_sclk" || rel == "pp_dpm_mclk" || rel == "pp_power_profile_mode") {
        result = 0;  // taken; the model does not follow forced levels or profiles
    }
    card.RenderTable();  // a refused SMU13/14 edit may keep what it stored
    return result;
}

int KernelModel::wake(const std::string& device) {
    const Resolved r = Resolve(device);
    if (!r.found || r.card == nullptr) return ENOENT;
    ++r.card->wakes;
    if (r.card->wakeError != 0) return r.card->wakeError;
    // Every amdgpu ioctl runs between pm_runtime_get_sync and pm_runtime_put_autosuspend
    // (amdgpu_drm_ioctl): the card wakes and stays up for its autosuspend delay.
    r.card->sleeping = false;
    return 0;
}

void KernelModel::SetSleeping(int card, bool sleeping) { m_cards.at(card)->sleeping = sleeping; }
bool KernelModel::Sleeping(int card) const { return m_cards.at(card)->sleeping; }
void KernelModel::SetWakeError(int card, int error) { m_cards.at(card)->wakeError = error; }
int KernelModel::WakeCount(int card) const { return m_cards.at(card)->wakes; }
void KernelModel::SetResetting(int card, bool resetting) { m_cards.at(card)->resetting = resetting; }

void KernelModel::SetClockLimits(int card, const std::string& clock, int level, long long min, long long max) {
    m_cards.at(card)->endLimits[clock + "[" + std::to_string(level) + "]"] = {min, max};
}

long long KernelModel::EffectivePowerCap(int card) const {
    const Card& c = *m_cards.at(card);
    if (c.effectiveCap) return *c.effectiveCap;
    return c.hwmon.empty() ? 0 : c.Number(c.hwmon + "/power1_cap").value_or(0);
}

void KernelModel::FailNextWrite(int error, std::string pathSuffix) {
    m_failNext = {error, std::move(pathSuffix)};
}

void KernelModel::RemoveCard(int card) { m_cards.at(card)->removed = true; }

int KernelModel::ReadCount(const std::string& path) const {
    const auto it = m_readCounts.find(path);
    return it == m_readCounts.end() ? 0 : it->second;
}

std::vector<std::string> KernelModel::AcceptedCommands(int card) const {
    const std::string prefix = DevicePath(card, "") + "/";
    std::vector<std::string> lines;
    for (const WriteRecord& w : m_writes) {
        if (w.error != 0 || !StartsWith(w.path, prefix)) continue;
        std::string bytes;
        for (char c : w.bytes) bytes += c == '\n' ? std::string("\\n") : std::string(1, c);
        lines.push_back(w.path.substr(prefix.size()) + ": " + bytes);
    }
    return lines;
}

void KernelModel::SetFile(int card, const std::string& relative, std::string bytes) {
    m_cards.at(card)->files[relative] = std::move(bytes);
}

void KernelModel::SetPerformanceLevel(int card, const std::string& level) {
    m_cards.at(card)->files["power_dpm_force_performance_level"] = level + "\n";
}

bool KernelModel::Uncommitted(int card) const {
    const Card& c = *m_cards.at(card);
    return !(c.staged == c.committed);
}

std::string KernelModel::CommittedRead(int card, const std::string& relative) const {
    const Card& c = *m_cards.at(card);
    if (relative == "pp_od_clk_voltage" && c.overdrive) return RenderOd(c.odTemplate, c.committed);
    if (StartsWith(relative, "gpu_od/fan_ctrl/") && c.fanTemplates.count(relative.substr(16)))
        return RenderFan(relative.substr(16), c.fanTemplates.at(relative.substr(16)), c.committed);
    const auto it = c.files.find(relative);
    return it == c.files.end() ? std::string() : it->second;
}

}  // namespace kernelmodel
