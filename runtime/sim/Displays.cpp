// SPDX-License-Identifier: GPL-3.0-or-later
// The display services, the display list, the displays and their seven per-display features.
// Every GPU sees all displays: the services are not bound to a GPU.

#include <functional>

#include "Objects.h"
#include "Runtime.h"

namespace sim {

namespace {

const std::vector<int> kScaleModes{0, 1, 2};

template <class M>
auto part(SimObject& s, M Display::*member) {
    return [&s, member]() -> M& { return displayModel(s).*member; };
}

class DisplayImpl final : public Impl<IADLXDisplay> {
public:
    explicit DisplayImpl(int index)
        : Impl("IADLXDisplay", index, Kind::Display), m_name(runtime().machine.displays.at(index).name) {}

    // The name belongs to this object and stays valid while the program holds it.
    ADLX_RESULT Name(const char** name) override {
        return call(*this, "Name", "", device, nullptr, [&](Out& o) -> ADLX_RESULT {
            if (name == nullptr) return ADLX_INVALID_ARGS;
            *name = m_name.c_str();
            o.str(m_name.c_str());
            return ADLX_OK;
        });
    }

private:
    const std::string m_name;
};

class DisplayListImpl final : public Impl<IADLXDisplayList> {
public:
    DisplayListImpl() : Impl("IADLXDisplayList", -1) {}

    adlx_uint Size() override { return count(*this, "Size", [] { return size(); }); }
    adlx_uint Begin() override { return count(*this, "Begin", [] { return 0u; }); }
    adlx_uint End() override { return count(*this, "End", [] { return size(); }); }
    ADLX_RESULT At(adlx_uint location, IADLXDisplay** pp) override {
        const int subject = location > 0x7fffffffu ? -1 : static_cast<int>(location);
        return handOut(*this, "At", " " + fmt(location), subject, pp, [&](IADLXDisplay*& out) -> ADLX_RESULT {
            if (location >= size()) return ADLX_INVALID_ARGS;
            out = runtime().make<DisplayImpl>(static_cast<int>(location));
            return ADLX_OK;
        });
    }

private:
    static adlx_uint size() { return static_cast<adlx_uint>(runtime().machine.displays.size()); }
};

template <class I, Switch Display::*Member>
class DisplaySwitchImpl final : public Impl<I> {
public:
    DisplaySwitchImpl(const char* name, int display) : Impl<I>(name, display) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, part(*this, Member)); }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return isEnabled(*this, out, part(*this, Member)); }
    ADLX_RESULT SetEnabled(adlx_bool v) override { return setEnabled(*this, v, part(*this, Member)); }
};
using FreeSyncImpl = DisplaySwitchImpl<IADLXDisplayFreeSync, &Display::freeSync>;
using VsrImpl = DisplaySwitchImpl<IADLXDisplayVSR, &Display::vsr>;
using GpuScalingImpl = DisplaySwitchImpl<IADLXDisplayGPUScaling, &Display::gpuScaling>;
using IntegerScalingImpl = DisplaySwitchImpl<IADLXDisplayIntegerScaling, &Display::integerScaling>;

class ScalingModeImpl final : public Impl<IADLXDisplayScalingMode> {
public:
    explicit ScalingModeImpl(int display) : Impl("IADLXDisplayScalingMode", display) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, m()); }
    ADLX_RESULT GetMode(ADLX_SCALE_MODE* out) override { return valueOf(*this, "GetMode", out, m(), &ModeSetting::mode); }
    ADLX_RESULT SetMode(ADLX_SCALE_MODE v) override {
        return setListed(*this, "SetMode", v, m(), &ModeSetting::mode,
                         []() -> const std::vector<int>& { return kScaleModes; });
    }

private:
    std::function<ModeSetting&()> m() { return part(*this, &Display::scalingMode); }
};

// Colour depth and pixel format: a value out of the display's own list.
template <class I, class E, ListSetting Display::*Member>
class ListSettingImpl : public Impl<I> {
public:
    ListSettingImpl(const char* name, int display) : Impl<I>(name, display) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, m()); }
    ADLX_RESULT GetValue(E* out) override { return valueOf(*this, "GetValue", out, m(), &ListSetting::value); }
    ADLX_RESULT SetValue(E v) override {
        return setListed(*this, "SetValue", v, m(), &ListSetting::value,
                         [this]() -> const std::vector<int>& { return (displayModel(*this).*Member).values; });
    }

protected:
    // Whether the display can take one value; false for every value when the feature is unsupported.
    ADLX_RESULT supports(const char* method, E value, adlx_bool* out) {
        return call(*this, method, " " + fmt(value), this->device, nullptr, [&](Out& o) -> ADLX_RESULT {
            if (out == nullptr) return ADLX_INVALID_ARGS;
            const ListSetting& s = displayModel(*this).*Member;
            bool found = false;
            for (int v : s.values) found = found || v == static_cast<int>(value);
            *out = s.supported && found;
            o << *out;
            return ADLX_OK;
        });
    }
    std::function<ListSetting&()> m() { return part(*this, Member); }
};

class ColorDepthImpl final : public ListSettingImpl<IADLXDisplayColorDepth, ADLX_COLOR_DEPTH, &Display::colorDepth> {
public:
    explicit ColorDepthImpl(int display) : ListSettingImpl("IADLXDisplayColorDepth", display) {}
    ADLX_RESULT IsSupportedColorDepth(ADLX_COLOR_DEPTH v, adlx_bool* out) override {
        return supports("IsSupportedColorDepth", v, out);
    }
};

class PixelFormatImpl final : public ListSettingImpl<IADLXDisplayPixelFormat, ADLX_PIXEL_FORMAT, &Display::pixelFormat> {
public:
    explicit PixelFormatImpl(int display) : ListSettingImpl("IADLXDisplayPixelFormat", display) {}
    ADLX_RESULT IsSupportedPixelFormat(ADLX_PIXEL_FORMAT v, adlx_bool* out) override {
        return supports("IsSupportedPixelFormat", v, out);
    }
};

class DisplayServicesImpl final : public Impl<IADLXDisplayServices> {
public:
    DisplayServicesImpl() : Impl("IADLXDisplayServices", -1) {}

    ADLX_RESULT GetNumberOfDisplays(adlx_uint* out) override {
        return getter(*this, "GetNumberOfDisplays", out, [](adlx_uint& v) {
            v = static_cast<adlx_uint>(runtime().machine.displays.size());
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetDisplays(IADLXDisplayList** pp) override {
        return handOut(*this, "GetDisplays", "", -1, pp, [](IADLXDisplayList*& out) {
            out = runtime().make<DisplayListImpl>();
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetFreeSync(IADLXDisplay* d, IADLXDisplayFreeSync** pp) override {
        return feature<FreeSyncImpl>("GetFreeSync", d, pp, "IADLXDisplayFreeSync");
    }
    ADLX_RESULT GetVirtualSuperResolution(IADLXDisplay* d, IADLXDisplayVSR** pp) override {
        return feature<VsrImpl>("GetVirtualSuperResolution", d, pp, "IADLXDisplayVSR");
    }
    ADLX_RESULT GetGPUScaling(IADLXDisplay* d, IADLXDisplayGPUScaling** pp) override {
        return feature<GpuScalingImpl>("GetGPUScaling", d, pp, "IADLXDisplayGPUScaling");
    }
    ADLX_RESULT GetScalingMode(IADLXDisplay* d, IADLXDisplayScalingMode** pp) override {
        return feature<ScalingModeImpl>("GetScalingMode", d, pp);
    }
    ADLX_RESULT GetIntegerScaling(IADLXDisplay* d, IADLXDisplayIntegerScaling** pp) override {
        return feature<IntegerScalingImpl>("GetIntegerScaling", d, pp, "IADLXDisplayIntegerScaling");
    }
    ADLX_RESULT GetColorDepth(IADLXDisplay* d, IADLXDisplayColorDepth** pp) override {
        return feature<ColorDepthImpl>("GetColorDepth", d, pp);
    }
    ADLX_RESULT GetPixelFormat(IADLXDisplay* d, IADLXDisplayPixelFormat** pp) override {
        return feature<PixelFormatImpl>("GetPixelFormat", d, pp);
    }

private:
    // Handed out whether or not the display supports the feature; IsSupported tells.
    template <class T, class I, class... Name>
    ADLX_RESULT feature(const char* method, IADLXDisplay* display, I** pp, Name... name) {
        const DeviceArg a = deviceArg(display, Kind::Display);
        return handOut(*this, method, " " + a.text, a.index, pp, [&](I*& out) -> ADLX_RESULT {
            if (a.index < 0) return ADLX_INVALID_ARGS;
            out = runtime().make<T>(name..., a.index);
            return ADLX_OK;
        });
    }
};

}  // namespace

IADLXDisplayServices* makeDisplayServices() { return runtime().make<DisplayServicesImpl>(); }

}  // namespace sim
