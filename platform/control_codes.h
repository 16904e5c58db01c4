#pragma once
// Device control codes the program sends, built the way Windows builds them
// (device type, access, function, method).
#include <cstdint>

namespace platform {

constexpr std::uint32_t CtlCode(std::uint32_t deviceType, std::uint32_t function,
                                std::uint32_t method, std::uint32_t access) {
    return (deviceType << 16) | (access << 14) | (function << 2) | method;
}

namespace ctl {
constexpr std::uint32_t kDeviceController = 0x04;
constexpr std::uint32_t kDeviceDisk = 0x07;
constexpr std::uint32_t kDeviceFileSystem = 0x09;
constexpr std::uint32_t kMethodBuffered = 0;
constexpr std::uint32_t kAnyAccess = 0;
constexpr std::uint32_t kReadAccess = 1;
constexpr std::uint32_t kReadWriteAccess = 3;
}  // namespace ctl

constexpr std::uint32_t kFsctlLockVolume =
    CtlCode(ctl::kDeviceFileSystem, 6, ctl::kMethodBuffered, ctl::kAnyAccess);
constexpr std::uint32_t kFsctlUnlockVolume =
    CtlCode(ctl::kDeviceFileSystem, 7, ctl::kMethodBuffered, ctl::kAnyAccess);
constexpr std::uint32_t kFsctlDismountVolume =
    CtlCode(ctl::kDeviceFileSystem, 8, ctl::kMethodBuffered, ctl::kAnyAccess);
constexpr std::uint32_t kIoctlDiskGetDriveGeometry =
    CtlCode(ctl::kDeviceDisk, 0x0000, ctl::kMethodBuffered, ctl::kAnyAccess);
constexpr std::uint32_t kIoctlDiskGetDriveLayout =
    CtlCode(ctl::kDeviceDisk, 0x0003, ctl::kMethodBuffered, ctl::kReadAccess);
constexpr std::uint32_t kIoctlDiskSetDriveLayout =
    CtlCode(ctl::kDeviceDisk, 0x0004, ctl::kMethodBuffered, ctl::kReadWriteAccess);
constexpr std::uint32_t kIoctlDiskDeleteDriveLayout =
    CtlCode(ctl::kDeviceDisk, 0x0040, ctl::kMethodBuffered, ctl::kReadWriteAccess);
constexpr std::uint32_t kIoctlScsiPassThrough =
    CtlCode(ctl::kDeviceController, 0x0401, ctl::kMethodBuffered, ctl::kReadWriteAccess);

// VWIN32 (Windows 95 family): INT 21h IOCTL with the register block as input and output.
constexpr std::uint32_t kVwin32DiocDosIoctl = 1;

static_assert(kFsctlLockVolume == 0x90018, "FSCTL_LOCK_VOLUME");
static_assert(kFsctlUnlockVolume == 0x9001C, "FSCTL_UNLOCK_VOLUME");
static_assert(kFsctlDismountVolume == 0x90020, "FSCTL_DISMOUNT_VOLUME");
static_assert(kIoctlDiskGetDriveGeometry == 0x70000, "IOCTL_DISK_GET_DRIVE_GEOMETRY");
static_assert(kIoctlDiskGetDriveLayout == 0x7400C, "IOCTL_DISK_GET_DRIVE_LAYOUT");
static_assert(kIoctlDiskSetDriveLayout == 0x7C010, "IOCTL_DISK_SET_DRIVE_LAYOUT");
static_assert(kIoctlDiskDeleteDriveLayout == 0x7C100, "IOCTL_DISK_DELETE_DRIVE_LAYOUT");
static_assert(kIoctlScsiPassThrough == 0x4D004, "IOCTL_SCSI_PASS_THROUGH");

}  // namespace platform
