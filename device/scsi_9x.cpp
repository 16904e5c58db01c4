// The Windows 95 family transport: ASPI loading and the VWIN32 volume requests.
#include "device/scsi_9x.h"

#include "device/little_endian.h"
#include "device/vwin32_registers.h"
#include "platform/control_codes.h"
#include "platform/file_access.h"
#include "platform/platform.h"

namespace {

constexpr uint32_t kDosIoctlBlockDevice = 0x440D;
constexpr uint8_t kCategoryFat32 = 0x48;
constexpr uint8_t kCategoryDisk = 0x08;
constexpr uint8_t kLockLogical = 0x4A;
constexpr uint8_t kLockPhysical = 0x4B;
constexpr uint8_t kUnlockLogical = 0x6A;
constexpr uint8_t kUnlockPhysical = 0x6B;
constexpr uint32_t kFormatPermission = 4;
constexpr uint16_t kGetDeviceParameters = 0x0860;
// The device parameter block with its BIOS parameter block and room for the track layout.
constexpr uint32_t kDeviceParametersSize = 256;

}  // namespace

CBvScsi_9x::CBvScsi_9x(CBvUpdater* engine, std::string objectName) : CBvScsiDevice(engine, std::move(objectName)) {
    m_aspiModule = platform::Modules().LoadLibrary(platform::kAspiLibraryName);
    if (m_aspiModule == platform::kNullHandle) {
        SetStatus(ERR_ASPI_MISSING);
        return;
    }
    m_supportInfo = reinterpret_cast<platform::AspiSupportInfoFn>(
        platform::Modules().GetProcAddress(m_aspiModule, platform::kAspiSupportInfoEntry));
    m_sendCommand = reinterpret_cast<platform::AspiSendCommandFn>(
        platform::Modules().GetProcAddress(m_aspiModule, platform::kAspiSendCommandEntry));
    if (!AspiUsable()) {
        SetStatus(ERR_ASPI_ENTRY_POINT);
        return;
    }
    SetStatus(ERR_OK);
    m_playerFound = 0;
    // The second byte of the support information is ASPI's own status.
    if (((m_supportInfo() >> 8) & 0xFF) != platform::aspi::kSsComp) SetStatus(ERR_ASPI_NOT_READY);
}

CBvScsi_9x::~CBvScsi_9x() {
    m_supportInfo = nullptr;
    m_sendCommand = nullptr;
    if (m_aspiModule != platform::kNullHandle) platform::Modules().FreeLibrary(m_aspiModule);
}

int32_t CBvScsi_9x::Open() {
    if (IsOpen()) return ERR_OK;
    const platform::Handle handle =
        platform::DeviceIo().CreateFile(L"\\\\.\\vwin32", 0, 0, 0, platform::kFileFlagDeleteOnClose);
    if (handle == platform::kInvalidHandle) {
        SetSystemError(platform::System().GetLastError());
        return ERR_DEVICE_OPEN;
    }
    SetDeviceHandle(handle);
    return ERR_OK;
}

int32_t CBvScsi_9x::Close() {
    platform::Kernel().CloseHandle(DeviceHandle());
    SetDeviceHandle(platform::kInvalidHandle);
    return ERR_OK;
}

bool CBvScsi_9x::DosIoctl(uint32_t drive, uint32_t edx, uint16_t cx, uint32_t flags) {
    BvVwin32Registers registers(drive, edx, cx, kDosIoctlBlockDevice, flags);
    uint32_t returned = 0;
    return platform::DeviceIo().DeviceIoControl(DeviceHandle(), platform::kVwin32DiocDosIoctl, registers.bytes,
                                                BvVwin32Registers::kSize, registers.bytes, BvVwin32Registers::kSize,
                                                &returned) &&
           !registers.Carry();
}

bool CBvScsi_9x::DosIoctlEitherCategory(uint32_t drive, uint32_t edx, uint8_t minor) {
    return DosIoctl(drive, edx, static_cast<uint16_t>(kCategoryFat32 << 8 | minor)) ||
           DosIoctl(drive, edx, static_cast<uint16_t>(kCategoryDisk << 8 | minor));
}

// Lock level 0 in BH; BL the drive (A is 1).
int32_t CBvScsi_9x::VolumeRequest(uint32_t permissions, uint8_t minor, int32_t failure) {
    return DosIoctlEitherCategory(DriveNumber(), permissions, minor) ? ERR_OK : failure;
}

int32_t CBvScsi_9x::Lock(bool physical) { return VolumeRequest(0, physical ? kLockPhysical : kLockLogical, ERR_LOCK); }

int32_t CBvScsi_9x::LockForFormat(bool physical) {
    return VolumeRequest(kFormatPermission, physical ? kLockPhysical : kLockLogical, ERR_LOCK);
}

int32_t CBvScsi_9x::Unlock(bool physical) {
    return VolumeRequest(0, physical ? kUnlockPhysical : kUnlockLogical, ERR_UNLOCK);
}

int32_t CBvScsi_9x::Release(bool physical) { return Unlock(physical); }

int32_t CBvScsi_9x::Dismount() { return ERR_OK; }

int32_t CBvScsi_9x::GetGeometry(BvDiskGeometry& geometry) {
    uint8_t parameters[kDeviceParametersSize] = {};
    const uint32_t address = platform::DeviceIo().Vwin32Address(parameters);
    if (!DosIoctl(DriveNumber(), address, kGetDeviceParameters, BvVwin32Registers::kCarry)) {
        return ReportSystemFailure(ERR_DISK_CONTROL);
    }
    geometry.cylinders = BvGetLe16(parameters + 4);
    geometry.mediaType = parameters[6];
    geometry.bytesPerSector = BvGetLe16(parameters + 7);
    geometry.sectorsPerTrack = BvGetLe16(parameters + 20);
    geometry.tracksPerCylinder = BvGetLe16(parameters + 22);
    return ERR_OK;
}
