// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ~/.drirc, the file Mesa's driconf reads a user's global OpenGL options from. We own only the
// options of a device and application that match every program (no driver, no executable
// filter); every other element, comment and byte of the user's file is kept as the XML library
// read it.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace mesa {

class DrircDocument {
public:
    ~DrircDocument();
    DrircDocument(DrircDocument&&) noexcept;
    DrircDocument& operator=(DrircDocument&&) noexcept;

    // An empty (or blank) text is a file without settings; anything else must be well-formed XML
    // whose root is <driconf>, else null and `error` says why (with the line).
    static std::optional<DrircDocument> parse(std::string_view text, std::string& error);

    // The value Mesa would take for every program from this file, if the file names one.
    std::optional<std::string> option(std::string_view name) const;
    void setOption(std::string_view name, std::string_view value);
    void removeOption(std::string_view name);

    std::string text() const;

private:
    struct Parts;
    explicit DrircDocument(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> m_parts;
};

}  // namespace mesa
