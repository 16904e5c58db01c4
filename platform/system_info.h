#pragma once
// Version, language, logical drives and the calling thread's last system error.
#include <cstdint>
#include <string>

namespace platform {

constexpr std::uint32_t kPlatformWin32Windows = 1;  // Windows 95, 98, Me
constexpr std::uint32_t kPlatformWin32Nt = 2;       // NT family

struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t platformId = 0;
};

enum DriveType : std::uint32_t {
    kDriveUnknown = 0,
    kDriveNoRootDir = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdrom = 5,
    kDriveRamdisk = 6,
};

class ISystemInfo {
public:
    virtual ~ISystemInfo() = default;

    virtual OsVersion GetVersion() = 0;
    virtual std::uint16_t GetUserDefaultLangId() = 0;
    // Bit 0 = A: ... bit 25 = Z:.
    virtual std::uint32_t GetLogicalDrives() = 0;
    // rootPath as "X:\"; anything else gives kDriveNoRootDir.
    virtual std::uint32_t GetDriveType(const std::wstring& rootPath) = 0;

    // Per thread, as in Windows: every failing seam call sets it.
    virtual std::uint32_t GetLastError() = 0;
    virtual void SetLastError(std::uint32_t error) = 0;
};

}  // namespace platform
