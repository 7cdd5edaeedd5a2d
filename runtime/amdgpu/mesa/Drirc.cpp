// SPDX-License-Identifier: GPL-3.0-or-later
#include "Drirc.h"

#include <pugixml.hpp>

#include <algorithm>
#include <sstream>
#include <vector>

namespace mesa {

namespace {

// Keep what the user wrote as far as the library can: whitespace, comments, processing
// instructions, the declaration and the doctype, and line ends and attribute whitespace untouched.
constexpr unsigned kParseFlags = (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_eol &
                                 ~pugi::parse_wconv_attribute;
constexpr unsigned kSaveFlags = pugi::format_raw | pugi::format_no_declaration;

constexpr std::string_view kFresh =
    "<?xml version=\"1.0\" standalone=\"yes\"?>\n"
    "<!-- Mesa's options for every program of this user. -->\n"
    "<driconf>\n"
    "    <device>\n"
    "        <application name=\"Default\">\n"
    "        </application>\n"
    "    </device>\n"
    "</driconf>\n";

bool blank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
}

// A device or application that restricts nothing: driconf applies its options to every program.
bool onlyAttribute(pugi::xml_node node, const char* allowed) {
    for (pugi::xml_attribute a : node.attributes())
        if (allowed == nullptr || std::string_view(a.name()) != allowed) return false;
    return true;
}
bool everyDevice(pugi::xml_node n) {
    return n.type() == pugi::node_element && std::string_view(n.name()) == "device" && onlyAttribute(n, nullptr);
}
bool everyProgram(pugi::xml_node n) {
    return n.type() == pugi::node_element && std::string_view(n.name()) == "application" && onlyAttribute(n, "name");
}

template <class Visit>
void forEachGlobalOption(pugi::xml_node root, std::string_view name, Visit&& visit) {
    for (pugi::xml_node device : root.children())
        if (everyDevice(device))
            for (pugi::xml_node app : device.children())
                if (everyProgram(app))
                    for (pugi::xml_node option : app.children("option"))
                        if (name == option.attribute("name").value()) visit(option);
}

// The indentation in front of a node, from the whitespace text just before it.
std::string indentOf(pugi::xml_node node) {
    const pugi::xml_node before = node.previous_sibling();
    if (before.type() != pugi::node_pcdata) return {};
    const std::string_view ws = before.value();
    const auto newline = ws.find_last_of('\n');
    if (newline == std::string_view::npos || !blank(ws)) return {};
    return std::string(ws.substr(newline + 1));
}

// Appends an element laid out like its siblings, so a hand-indented file stays readable.
pugi::xml_node appendIndented(pugi::xml_node parent, const char* name) {
    const std::string outer = indentOf(parent);
    std::string inner = outer + "    ";
    if (pugi::xml_node first = parent.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; }))
        if (first.previous_sibling().type() == pugi::node_pcdata) inner = indentOf(first);
    pugi::xml_node closing = parent.last_child();
    if (closing.type() != pugi::node_pcdata || !blank(closing.value())) {
        closing = parent.append_child(pugi::node_pcdata);
        closing.set_value(("\n" + outer).c_str());
    }
    parent.insert_child_before(pugi::node_pcdata, closing).set_value(("\n" + inner).c_str());
    return parent.insert_child_before(name, closing);
}

}  // namespace

struct DrircDocument::Parts {
    pugi::xml_document doc;
    bool endsWithNewline = true;
};

DrircDocument::DrircDocument(std::unique_ptr<Parts> parts) : m_parts(std::move(parts)) {}
DrircDocument::~DrircDocument() = default;
DrircDocument::DrircDocument(DrircDocument&&) noexcept = default;
DrircDocument& DrircDocument::operator=(DrircDocument&&) noexcept = default;

std::optional<DrircDocument> DrircDocument::parse(std::string_view text, std::string& error) {
    auto parts = std::make_unique<Parts>();
    const bool fresh = blank(text);
    const std::string_view source = fresh ? kFresh : text;
    const pugi::xml_parse_result result =
        parts->doc.load_buffer(source.data(), source.size(), kParseFlags, pugi::encoding_utf8);
    if (!result) {
        const auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0));
        const auto line = 1 + std::count(source.begin(), source.begin() + std::min(offset, source.size()), '\n');
        error = "line " + std::to_string(line) + ": " + result.description();
        return std::nullopt;
    }
    const auto roots = std::count_if(parts->doc.begin(), parts->doc.end(),
                                     [](pugi::xml_node n) { return n.type() == pugi::node_element; });
    if (roots != 1) {
        error = "line 1: more than one root element";
        return std::nullopt;
    }
    if (std::string_view(parts->doc.document_element().name()) != "driconf") {
        error = "the root element is not <driconf>";
        return std::nullopt;
    }
    parts->endsWithNewline = fresh || source.back() == '\n';
    return DrircDocument(std::move(parts));
}

std::optional<std::string> DrircDocument::option(std::string_view name) const {
    std::optional<std::string> value;
    // driconf reads the file in order: the last global option of a name is the one that counts.
    forEachGlobalOption(m_parts->doc.document_element(), name,
                        [&](pugi::xml_node o) { value = o.attribute("value").value(); });
    return value;
}

void DrircDocument::setOption(std::string_view name, std::string_view value) {
    const pugi::xml_node root = m_parts->doc.document_element();
    pugi::xml_node last;
    forEachGlobalOption(root, name, [&](pugi::xml_node o) { last = o; });
    if (!last) {
        pugi::xml_node app;
        for (pugi::xml_node device : root.children())
            if (everyDevice(device))
                for (pugi::xml_node a : device.children())
                    if (everyProgram(a)) app = a;
        if (!app) {
            app = appendIndented(appendIndented(root, "device"), "application");
            app.append_attribute("name") = "Default";
        }
        last = appendIndented(app, "option");
        last.append_attribute("name") = std::string(name).c_str();
    }
    pugi::xml_attribute v = last.attribute("value");
    if (!v) v = last.append_attribute("value");
    v = std::string(value).c_str();
}

void DrircDocument::removeOption(std::string_view name) {
    std::vector<pugi::xml_node> found;
    forEachGlobalOption(m_parts->doc.document_element(), name, [&](pugi::xml_node o) { found.push_back(o); });
    for (pugi::xml_node o : found) {
        // The option's own line goes with it.
        pugi::xml_node before = o.previous_sibling();
        if (before.type() == pugi::node_pcdata && blank(before.value())) o.parent().remove_child(before);
        o.parent().remove_child(o);
    }
}

std::string DrircDocument::text() const {
    // The library keeps no text between top-level nodes; they go one a line.
    std::string out;
    for (pugi::xml_node n : m_parts->doc.children()) {
        std::ostringstream part;
        n.print(part, "", kSaveFlags, pugi::encoding_utf8);
        if (!out.empty()) out += '\n';
        out += part.str();
    }
    if (m_parts->endsWithNewline) out += '\n';
    return out;
}

}  // namespace mesa
