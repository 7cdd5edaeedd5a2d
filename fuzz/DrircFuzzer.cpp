// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes at all as a user's ~/.drirc: the reader refuses the text or accepts it; what it accepts
// it writes back well-formed, reading the same options, and an option set or removed reads back
// so while every other global option keeps its value.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mesa/Drirc.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

mesa::DrircDocument reparsed(const mesa::DrircDocument& d) {
    std::string error;
    auto again = mesa::DrircDocument::parse(d.text(), error);
    require(again.has_value());
    return std::move(*again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto doc = mesa::DrircDocument::parse(text, error);
    if (!doc) {
        require(!error.empty());
        return 0;
    }
    const auto vblank = doc->option("vblank_mode");
    const auto glthread = doc->option("mesa_glthread");
    {
        const mesa::DrircDocument same = reparsed(*doc);
        require(same.option("vblank_mode") == vblank);
        require(same.option("mesa_glthread") == glthread);
    }

    doc->setOption("pp_jimenezmlaa", "8");
    const mesa::DrircDocument set = reparsed(*doc);
    require(set.option("pp_jimenezmlaa") == "8");
    require(set.option("vblank_mode") == vblank);
    require(set.option("mesa_glthread") == glthread);

    doc->removeOption("vblank_mode");
    const mesa::DrircDocument removed = reparsed(*doc);
    require(!removed.option("vblank_mode").has_value());
    require(removed.option("pp_jimenezmlaa") == "8");
    require(removed.option("mesa_glthread") == glthread);
    return 0;
}
