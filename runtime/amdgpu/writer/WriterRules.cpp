// SPDX-License-Identifier: GPL-3.0-or-later
#include "WriterRules.h"

#include <array>
#include <vector>

namespace tachyon_writer {

namespace {

// How one attribute's values look. The kernel reads numbers with base 0, so a leading zero would
// turn a number octal: a number is "0" or starts with 1-9. Separators are single spaces.
enum class Grammar {
    OverdriveTable,  // pp_od_clk_voltage: "c", "r", or a command letter and its numbers
    FanCurvePoint,   // "c", "r", or "<index> <temperature> <percent>"
    FanSwitch,       // "c", "r", "0", "1"
    Microwatts,      // one number
    Level,           // one of the performance levels a card is put into
};

struct AttributeRule {
    std::string_view name;
    Grammar grammar;
};

// The tuning files of a card's device folder the runtime writes, and nothing else: the overdrive
// table, the fan curve, zero RPM and the performance level (the APUs take overdrive edits only in
// `manual`); the power cap below.
constexpr std::array kDeviceAttributes{
    AttributeRule{"pp_od_clk_voltage", Grammar::OverdriveTable},
    AttributeRule{"gpu_od/fan_ctrl/fan_curve", Grammar::FanCurvePoint},
    AttributeRule{"gpu_od/fan_ctrl/fan_zero_rpm_enable", Grammar::FanSwitch},
    AttributeRule{"power_dpm_force_performance_level", Grammar::Level},
};

// The whole word, nothing before or after it (the kernel itself would take any text that starts
// with one of them).
constexpr std::array<std::string_view, 8> kLevels{
    "auto",        "low", "high", "manual", "profile_standard", "profile_min_sclk", "profile_min_mclk",
    "profile_peak"};

// The files of the card's hwmon folder ("hwmon/hwmonN/<name>").
constexpr std::array kHwmonAttributes{
    AttributeRule{"power1_cap", Grammar::Microwatts},
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "0" or 1-9 followed by digits, at most maxDigits long.
bool isPlainNumber(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return false;
    for (char c : text) {
        if (!isDigit(c)) return false;
    }
    return text == "0" || text.front() != '0';
}

bool isUnsigned(std::string_view text) { return isPlainNumber(text, 10); }

bool isSigned(std::string_view text) {
    if (!text.empty() && text.front() == '-') {
        text.remove_prefix(1);
        return isUnsigned(text) && text != "0";
    }
    return isUnsigned(text);
}

// Splits on single spaces; an empty piece (two spaces, or one at either end) makes it refused.
bool splitWords(std::string_view value, std::vector<std::string_view>& words) {
    words.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t space = value.find(' ', start);
        const std::string_view word =
            value.substr(start, space == std::string_view::npos ? space : space - start);
        if (word.empty()) return false;
        words.push_back(word);
        if (space == std::string_view::npos) return true;
        start = space + 1;
    }
}

bool allUnsigned(const std::vector<std::string_view>& words, std::size_t from) {
    for (std::size_t i = from; i < words.size(); ++i) {
        if (!isUnsigned(words[i])) return false;
    }
    return true;
}

bool isCommitOrReset(std::string_view value) { return value == "c" || value == "r"; }

bool overdriveCommand(const std::vector<std::string_view>& words) {
    const std::string_view command = words.front();
    const std::size_t numbers = words.size() - 1;
    if (command == "c" || command == "r") return numbers == 0;
    // One signed number: the clock offset of cards that only take an offset.
    if (command == "s" && numbers == 1) return isSigned(words[1]);
    if (command == "s" || command == "m") return (numbers == 2 || numbers == 3) && allUnsigned(words, 1);
    // "vc <point> <MHz> <mV>", or "vc <point> <mV offset>" on cards that show a curve of offsets.
    if (command == "vc" && numbers == 2) return isUnsigned(words[1]) && isSigned(words[2]);
    if (command == "vc") return numbers == 3 && allUnsigned(words, 1);
    if (command == "vo") return numbers == 1 && isSigned(words[1]);
    if (command == "p") return numbers == 3 && allUnsigned(words, 1);
    return false;
}

bool matches(Grammar grammar, std::string_view value) {
    std::vector<std::string_view> words;
    if (!splitWords(value, words)) return false;
    switch (grammar) {
        case Grammar::OverdriveTable:
            return overdriveCommand(words);
        case Grammar::FanCurvePoint:
            return isCommitOrReset(value) || (words.size() == 3 && allUnsigned(words, 0));
        case Grammar::FanSwitch:
            return isCommitOrReset(value) || value == "0" || value == "1";
        case Grammar::Microwatts:
            return words.size() == 1 && isUnsigned(value);
        case Grammar::Level:
            for (std::string_view level : kLevels) {
                if (value == level) return true;
            }
            return false;
    }
    return false;
}

const AttributeRule* findRule(std::string_view attribute) {
    for (const AttributeRule& rule : kDeviceAttributes) {
        if (rule.name == attribute) return &rule;
    }
    constexpr std::string_view hwmon = "hwmon/hwmon";
    if (attribute.substr(0, hwmon.size()) != hwmon) return nullptr;
    attribute.remove_prefix(hwmon.size());
    const std::size_t slash = attribute.find('/');
    if (slash == std::string_view::npos || !isPlainNumber(attribute.substr(0, slash), 4)) return nullptr;
    attribute.remove_prefix(slash + 1);
    for (const AttributeRule& rule : kHwmonAttributes) {
        if (rule.name == attribute) return &rule;
    }
    return nullptr;
}

std::string printable(std::string_view text) {
    std::string shown;
    for (char c : text.substr(0, 64)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            shown += c;
        } else {
            static constexpr char kHex[] = "0123456789abcdef";
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 15];
        }
    }
    if (text.size() > 64) shown += "...";
    return shown;
}

}  // namespace

Check checkCard(std::string_view card) {
    if (!isPlainNumber(card, 3)) {
        return {Verdict::BadCard,
                "card number \"" + printable(card) + "\" refused: digits only, 0 to 999, no leading zero"};
    }
    return {};
}

Check checkAttribute(std::string_view attribute) {
    if (findRule(attribute) == nullptr) {
        return {Verdict::BadAttribute,
                "attribute \"" + printable(attribute) + "\" refused: not one of the tuning files"};
    }
    return {};
}

Check checkValue(std::string_view attribute, std::string_view value) {
    const AttributeRule* rule = findRule(attribute);
    if (rule == nullptr) return checkAttribute(attribute);
    if (value.size() > kMaxValueBytes) {
        return {Verdict::BadValue, "value for " + std::string(attribute) + " refused: longer than " +
                                       std::to_string(kMaxValueBytes) + " bytes"};
    }
    if (!matches(rule->grammar, value)) {
        return {Verdict::BadValue, "value \"" + printable(value) + "\" for " + std::string(attribute) +
                                       " refused: not a command this file takes (single spaces, numbers "
                                       "without leading zeros)"};
    }
    return {};
}

Check checkRequest(std::string_view card, std::string_view attribute, std::string_view value) {
    Check check = checkCard(card);
    if (check.verdict == Verdict::Accepted) check = checkAttribute(attribute);
    if (check.verdict == Verdict::Accepted) check = checkValue(attribute, value);
    return check;
}

}  // namespace tachyon_writer
