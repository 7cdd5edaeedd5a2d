// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the kernel model reads and prints the kernel's text: the kernel's own number parsing
// (kstrto*), and the overdrive table and the fan_ctrl files parsed from a tree and printed again
// in the tree's own spacing, unit case and NUL runs.

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kernelmodel {

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

// _kstrtoull: base 0 picks 16 for "0x<hex>", 8 for a leading 0, else 10; at least one digit;
// one trailing newline allowed; nothing else after the digits.
int ParseUnsigned(std::string_view s, unsigned base, unsigned long long& out);

// kstrtoll / kstrtoull with a leading sign as the kernel takes it.
int KStrToLL(std::string_view s, unsigned base, long long& out);

int KStrToU32(std::string_view s, unsigned long long& out);

int KStrToInt(std::string_view s, long long& out);

// Tokens separated by spaces and newlines, each read with base 0 (strsep + kstrtol); white space
// after a separator is skipped.
int ParseParams(std::string_view rest, std::vector<long long>& params);

// The text as lines; NUL runs and newlines are kept verbatim between them.
struct Piece {
    bool line = false;
    std::string text;
};

std::vector<Piece> Pieces(const std::string& text);

std::string Trim(std::string_view s);

bool IsHeader(const std::string& line, std::string& name);

// Signed decimal numbers of s, in order.
std::vector<long long> Numbers(std::string_view s);

// "<index>: <numbers>" or just "<numbers>".
bool SplitIndexed(const std::string& line, std::optional<int>& index, std::vector<long long>& values);

// Puts the values in place of the numbers after the colon (or of the whole line without one).
// A field printed with a width (more than one space before it) keeps its width, so the columns
// of a Polaris table stay where the kernel puts them.
std::string ReplaceNumbers(const std::string& line, const std::vector<long long>& values);

std::string ReplaceFirstNumber(const std::string& text, long long value);

std::optional<long long> FirstNumber(const std::string& text);

// pp_od_clk_voltage: the table, the ranges and the sections printed.
void ParseOd(const std::string& text, OdTable& table, std::map<std::string, Range>& ranges,
             std::set<std::string>& sections);

std::string RenderOd(const std::string& tmpl, const OdTable& t);

// A fan_ctrl file: its values and its ranges ("<KEY>" -> range).
void ParseFan(const std::string& name, const std::string& text, OdTable& table,
              std::map<std::string, Range>& ranges);

std::string RenderFan(const std::string& name, const std::string& tmpl, const OdTable& t);

std::string ReadFile(const std::filesystem::path& path);

std::string Hex4(unsigned value);

bool StartsWith(std::string_view s, std::string_view prefix);

// The files of gpu_od/fan_ctrl.
extern const std::set<std::string> kFanFiles;

}  // namespace kernelmodel
