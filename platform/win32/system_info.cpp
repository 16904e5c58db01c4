#include "platform/win32/services.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace win32 {

OsVersion SystemInfo::GetVersion() {
    OSVERSIONINFOW info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    OsVersion version;
    if (::GetVersionExW(&info)) {
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
        version.build = info.dwBuildNumber;
        version.platformId = info.dwPlatformId;
    }
    return version;
}

std::uint16_t SystemInfo::GetUserDefaultLangId() { return ::GetUserDefaultLangID(); }

std::uint32_t SystemInfo::GetLogicalDrives() { return ::GetLogicalDrives(); }

std::uint32_t SystemInfo::GetDriveType(const std::wstring& rootPath) {
    return ::GetDriveTypeW(rootPath.c_str());
}

std::uint32_t SystemInfo::GetLastError() { return ::GetLastError(); }

void SystemInfo::SetLastError(std::uint32_t error) { ::SetLastError(error); }

}  // namespace win32
}  // namespace platform
