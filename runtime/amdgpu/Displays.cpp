// SPDX-License-Identifier: GPL-3.0-or-later
// The displays: every connected connector of the listed cards, as the kernel shows it under
// class/drm (`card0-DP-1`, also reachable as card0/device/drm/card0/card0-DP-1). A display's
// settings (max bpc, colour space, VRR, scaling) are DRM connector properties only the display
// server, as DRM master, may change, so every feature says it is not supported: the program shows
// the displays and disables every setting control.
//
// Reading `status` makes the kernel probe the connector, so it is read only when the program asks
// for the list, once per connector, and nothing is kept beyond the call.

#include <algorithm>
#include <string>
#include <vector>

#include "Kernel.h"
#include "Objects.h"
#include "Session.h"
#include "formats/Edid.h"
#include "formats/Text.h"

namespace amdgpu {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Connector order as the kernel numbers them: DP-1, DP-2, DP-10, then HDMI-A-1.
bool naturallyBefore(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t ei = i;
            std::size_t ej = j;
            while (ei < a.size() && isDigit(a[ei])) ++ei;
            while (ej < b.size() && isDigit(b[ej])) ++ej;
            std::string_view na = a.substr(i, ei - i);
            std::string_view nb = b.substr(j, ej - j);
            while (na.size() > 1 && na.front() == '0') na.remove_prefix(1);
            while (nb.size() > 1 && nb.front() == '0') nb.remove_prefix(1);
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (na != nb) return na < nb;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

struct Connector {
    int card = -1;       // index into the session's cards
    std::string folder;  // "class/drm/card0-DP-1"
    std::string name;    // "DP-1"
};

// The connectors of every listed card, in card order, then in the kernel's numbering.
std::vector<Connector> connectors(Kernel& kernel) {
    const std::vector<std::string> entries = kernel.list("class/drm");
    const std::vector<Card>& cards = session().cards;
    std::vector<Connector> found;
    for (std::size_t c = 0; c < cards.size(); ++c) {
        const std::string prefix = "card" + std::to_string(cards[c].number) + "-";
        std::vector<std::string> names;
        for (const std::string& entry : entries) {
            if (entry.size() > prefix.size() && entry.compare(0, prefix.size(), prefix) == 0)
                names.push_back(entry.substr(prefix.size()));
        }
        std::sort(names.begin(), names.end(), naturallyBefore);
        for (std::string& name : names)
            found.push_back({static_cast<int>(c), "class/drm/" + prefix + name, std::move(name)});
    }
    return found;
}

bool connected(Kernel& kernel, const Connector& connector) {
    const std::string* status = kernel.text(connector.folder + "/status");
    if (status == nullptr) return false;
    const auto lines = text::lines(*status);
    return !lines.empty() && lines.front() == "connected";
}

// "DELL U2720Q (DP-1)", or "DP-1" when the EDID names no monitor or cannot be trusted.
std::string displayName(Kernel& kernel, const Connector& connector) {
    const std::string* edid = kernel.text(connector.folder + "/edid");
    const auto monitor = edid != nullptr ? edidMonitorName(*edid) : std::nullopt;
    return monitor ? *monitor + " (" + connector.name + ")" : connector.name;
}

class Display final : public Counted<IADLXDisplay> {
public:
    Display(int card, std::string connectorFolder, std::string name)
        : Counted(Kind::Display, card), folder(std::move(connectorFolder)), m_name(std::move(name)) {}

    ADLX_RESULT Name(const char** out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&] {
            *out = m_name.c_str();
            return ADLX_OK;
        });
    }

    const std::string folder;

private:
    // Belongs to this object, so it stays valid while the program holds it.
    const std::string m_name;
};

struct Listed {
    int card = -1;
    std::string folder;
    std::string name;
};

// What the kernel showed when the list was asked for; a display fetched from it names what was
// plugged in then.
class DisplayList final : public CountedList<IADLXDisplayList> {
public:
    explicit DisplayList(std::vector<Listed> displays)
        : CountedList(Kind::Other, -1), m_displays(std::move(displays)) {}

    ADLX_RESULT At(adlx_uint location, IADLXDisplay** pp) override {
        return handOut(*this, pp, [&](IADLXDisplay*& out) {
            if (location >= size()) return ADLX_INVALID_ARGS;
            const Listed& d = m_displays[location];
            out = session().make<Display>(d.card, d.folder, d.name);
            return ADLX_OK;
        });
    }

private:
    adlx_uint size() const override { return static_cast<adlx_uint>(m_displays.size()); }
    const std::vector<Listed> m_displays;
};

// The display behind an argument: a live display object of this session, else null.
const Display* displayOf(IADLXDisplay* display) {
    return static_cast<const Display*>(
        session().current(static_cast<const IADLXInterface*>(display), Kind::Display));
}

template <class Iface>
ADLX_RESULT notOffered(Object& self, IADLXDisplay* display, Iface** pp) {
    return handOut(self, pp, [&](Iface*&) {
        const Display* d = displayOf(display);
        if (d == nullptr) return ADLX_INVALID_ARGS;
        // Listing a folder probes nothing; a connector that is gone (the card unbound, a hub
        // unplugged) is a failure, not a display without features.
        Kernel kernel;
        if (kernel.list(d->folder).empty()) return ADLX_FAIL;
        return ADLX_NOT_SUPPORTED;
    });
}

class DisplayServices final : public Counted<IADLXDisplayServices> {
public:
    DisplayServices() : Counted(Kind::Other, -1) {}

    ADLX_RESULT GetNumberOfDisplays(adlx_uint* count) override {
        if (count == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&] {
            Kernel kernel;
            const auto all = connectors(kernel);
            *count = static_cast<adlx_uint>(std::count_if(
                all.begin(), all.end(), [&](const Connector& c) { return connected(kernel, c); }));
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetDisplays(IADLXDisplayList** pp) override {
        return handOut(*this, pp, [](IADLXDisplayList*& out) {
            Kernel kernel;
            std::vector<Listed> displays;
            for (const Connector& c : connectors(kernel)) {
                if (connected(kernel, c)) displays.push_back({c.card, c.folder, displayName(kernel, c)});
            }
            out = session().make<DisplayList>(std::move(displays));
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetFreeSync(IADLXDisplay* display, IADLXDisplayFreeSync** pp) override {
        return notOffered(*this, display, pp);
    }
    ADLX_RESULT GetVirtualSuperResolution(IADLXDisplay* display, IADLXDisplayVSR** pp) override {
        return notOffered(*this, display, pp);
    }
    ADLX_RESULT GetGPUScaling(IADLXDisplay* display, IADLXDisplayGPUScaling** pp) override {
        return notOffered(*this, display, pp);
    }
    ADLX_RESULT GetScalingMode(IADLXDisplay* display, IADLXDisplayScalingMode** pp) override {
        return notOffered(*this, display, pp);
    }
    ADLX_RESULT GetIntegerScaling(IADLXDisplay* display, IADLXDisplayIntegerScaling** pp) override {
        return notOffered(*this, display, pp);
    }
    ADLX_RESULT GetColorDepth(IADLXDisplay* display, IADLXDisplayColorDepth** pp) override {
        return notOffered(*this, display, pp);
    }
    ADLX_RESULT GetPixelFormat(IADLXDisplay* display, IADLXDisplayPixelFormat** pp) override {
        return notOffered(*this, display, pp);
    }
};

}  // namespace

IADLXDisplayServices* makeDisplayServices() { return session().make<DisplayServices>(); }

}  // namespace amdgpu
