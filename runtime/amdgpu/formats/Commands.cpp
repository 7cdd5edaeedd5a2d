// SPDX-License-Identifier: GPL-3.0-or-later
// std::to_string writes plain decimal: no padding (a leading zero would be octal to the kernel's
// base-0 parser) and a minus sign for negative offsets. The trailing newline is what `echo` sends;
// the kernel's tokenizers treat it as a separator.

#include "formats/Commands.h"

namespace amdgpu {

namespace {

std::string join(std::initializer_list<std::string> parts) {
    std::string out;
    for (const std::string& part : parts) {
        if (!out.empty()) out.push_back(' ');
        out += part;
    }
    out.push_back('\n');
    return out;
}

std::string n(long long value) { return std::to_string(value); }

}  // namespace

std::string sclkLevelWithVoltageCommand(int level, int mhz, int mv) {
    return join({"s", n(level), n(mhz), n(mv)});
}
std::string mclkLevelWithVoltageCommand(int level, int mhz, int mv) {
    return join({"m", n(level), n(mhz), n(mv)});
}
std::string sclkLevelCommand(int level, int mhz) { return join({"s", n(level), n(mhz)}); }
std::string mclkLevelCommand(int level, int mhz) { return join({"m", n(level), n(mhz)}); }
std::string voltageCurvePointCommand(int point, int mhz, int mv) {
    return join({"vc", n(point), n(mhz), n(mv)});
}
std::string voltageCurveOffsetCommand(int point, int mv) { return join({"vc", n(point), n(mv)}); }
std::string voltageOffsetCommand(int mv) { return join({"vo", n(mv)}); }
std::string sclkOffsetCommand(int mhz) { return join({"s", n(mhz)}); }
std::string cclkLevelCommand(int core, int level, int mhz) { return join({"p", n(core), n(level), n(mhz)}); }
std::string commitCommand() { return join({"c"}); }
std::string resetCommand() { return join({"r"}); }
std::string fanCurvePointCommand(int index, int celsius, int percent) {
    return join({n(index), n(celsius), n(percent)});
}
std::string fanSettingCommand(int value) { return join({n(value)}); }
std::string powerCapCommand(std::uint32_t microwatts) { return join({n(microwatts)}); }

}  // namespace amdgpu
