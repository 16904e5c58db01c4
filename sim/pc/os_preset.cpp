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

bool IsWin9x(OsPreset preset) {
    return VersionOf(preset).platformId == platform::kPlatformWin32Windows;
}

}  // namespace sim
