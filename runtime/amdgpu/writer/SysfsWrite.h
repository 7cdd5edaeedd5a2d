// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The writer's one file operation: find a card's tuning file under the sysfs root without
// following any link out of the card's device folder, and write one command to it.

#include <string>
#include <string_view>

namespace tachyon_writer {

enum class WriteStage {
    Written,        // the kernel took the command
    DeviceRefused,  // no such card, not an amdgpu device, or its folder lies outside <root>/devices
    FileRefused,    // the attribute is missing, a link, or not a plain file
    KernelRefused,  // open or write failed: `error` is the kernel's errno
};

struct WriteOutcome {
    WriteStage stage = WriteStage::Written;
    int error = 0;       // errno; set for every stage but Written
    std::string reason;  // one line for the user when not written
};

// card and attribute must have passed checkRequest. Writes value followed by one newline in a
// single write() to <root>/class/drm/card<card>/device/<attribute>.
WriteOutcome writeAttribute(const std::string& root, std::string_view card, std::string_view attribute,
                            std::string_view value);

}  // namespace tachyon_writer
