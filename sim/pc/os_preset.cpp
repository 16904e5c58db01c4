#include "sim/pc/os_preset.h"

namespace sim {

platform::OsVersion VersionOf(OsPreset preset) {
    using platform::OsVersion;
    switch (preset) {
    case OsPreset::kWindows98: return OsVersion{4, 10, 2222, platform::kPlatformWin32Windows};
    case OsPreset::kWindowsMe: return OsVersion{4, 90, 3000, platform::kPlatformWin32Windows};
    case OsPreset::kWindows2000: return OsVersion{5, 0, 2195, platform::kPlatformWin32Nt};
    case OsPreset::kWindowsXp: return OsVersion{5, 1, 2600, platform::kPlatformWin32Nt};
    case OsPreset::kWindowsVista: return OsVersion{6, 0, 6002, platform::kPlatformWin32Nt};
    case OsPreset::kWindows7: return OsVersion{6, 1, 7601, platform::kPlatformWin32Nt};
    case OsPreset::kWindows10: return OsVersion{10, 0, 19045, platform::kPlatformWin32Nt};
    case OsPreset::kUnsupported: return OsVersion{4, 50, 2500, platform::kPlatformWin32Windows};
    }
    return OsVersion{};
}

namespace {

constexpr OsPreset kAllPresets[] = {
    OsPreset::kWindows98, OsPreset::kWindowsMe,  OsPreset::kWindows2000, OsPreset::kWindowsXp,
    OsPreset::kWindowsVista, OsPreset::kWindows7, OsPreset::kWindows10, OsPreset::kUnsupported,
};

}  // namespace

const char* PresetName(OsPreset preset) {
    switch (preset) {
    case OsPreset::kWindows98: return "98";
    case OsPreset::kWindowsMe: return "me";
    case OsPreset::kWindows2000: return "2000";
    case OsPreset::kWindowsXp: return "xp";
    case OsPreset::kWindowsVista: return "vista";
    case OsPreset::kWindows7: return "7";
    case OsPreset::kWindows10: return "10";
    case OsPreset::kUnsupported: return "unsupported";
    }
    return "";
}

bool PresetFromName(const std::string& name, OsPreset* preset) {
    for (OsPreset candidate : kAllPresets) {
        if (name == PresetName(candidate)) {
            *preset = candidate;
            return true;
        }
    }
    return false;
}

bool IsWin9x(OsPreset preset) {
    return VersionOf(preset).platformId == platform::kPlatformWin32Windows;
}

}  // namespace sim
