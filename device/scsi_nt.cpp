// Volume operations of the NT transport: open, lock, geometry, drive layout, sector I/O.
#include "device/scsi_nt.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "device/drive_layout.h"
#include "device/little_endian.h"
#include "platform/control_codes.h"
#include "platform/errors.h"
#include "platform/file_access.h"
#include "platform/platform.h"

namespace {

constexpr int kVolumeRequestAttempts = 10;
constexpr uint32_t kVolumeRequestPauseMs = 100;
constexpr uint32_t kGeometrySize = 24;

}  // namespace

CBvScsi_Nt::CBvScsi_Nt(CBvUpdater* engine, std::string objectName) : CBvScsiDevice(engine, std::move(objectName)) {}

std::wstring CBvScsi_Nt::VolumeName(wchar_t letter) { return std::wstring(L"\\\\.\\") + letter + L':'; }

bool CBvScsi_Nt::OpenDevice(const std::wstring& name) {
    const platform::Handle handle =
        platform::DeviceIo().CreateFile(name, platform::kGenericRead | platform::kGenericWrite,
                                        platform::kFileShareRead | platform::kFileShareWrite,
                                        platform::kOpenExisting, 0);
    if (handle == platform::kInvalidHandle) return false;
    SetDeviceHandle(handle);
    return true;
}

int32_t CBvScsi_Nt::Open() {
    if (IsOpen()) return ERR_OK;
    if (OpenDevice(VolumeName(GetDriveLetter()))) return ERR_OK;
    SetSystemError(platform::System().GetLastError());
    return ERR_DEVICE_OPEN;
}

int32_t CBvScsi_Nt::Close() {
    if (platform::IsValidHandle(DeviceHandle())) {
        platform::Kernel().CloseHandle(DeviceHandle());
        SetDeviceHandle(platform::kInvalidHandle);
    }
    return ERR_OK;
}

// Another program may still hold the volume for a moment: try again for about a second.
int32_t CBvScsi_Nt::VolumeRequest(uint32_t code, int32_t failure) {
    for (int attempt = 0; attempt < kVolumeRequestAttempts; ++attempt) {
        uint32_t returned = 0;
        if (platform::DeviceIo().DeviceIoControl(DeviceHandle(), code, nullptr, 0, nullptr, 0, &returned)) {
            return ERR_OK;
        }
        platform::Clock().Sleep(kVolumeRequestPauseMs);
    }
    return failure;
}

int32_t CBvScsi_Nt::Lock(bool) { return VolumeRequest(platform::kFsctlLockVolume, ERR_LOCK); }

int32_t CBvScsi_Nt::LockForFormat(bool) { return ERR_OK; }

int32_t CBvScsi_Nt::Release(bool) { return Dismount(); }

int32_t CBvScsi_Nt::Unlock(bool) { return VolumeRequest(platform::kFsctlUnlockVolume, ERR_UNLOCK); }

int32_t CBvScsi_Nt::Dismount() { return VolumeRequest(platform::kFsctlDismountVolume, ERR_DISMOUNT); }

int32_t CBvScsi_Nt::GetGeometry(BvDiskGeometry& geometry) {
    uint8_t record[kGeometrySize] = {};
    uint32_t returned = 0;
    if (!platform::DeviceIo().DeviceIoControl(DeviceHandle(), platform::kIoctlDiskGetDriveGeometry, nullptr, 0,
                                              record, kGeometrySize, &returned)) {
        return ReportSystemFailure(ERR_DISK_CONTROL);
    }
    geometry.cylinders = BvGetLe64(record);
    geometry.mediaType = BvGetLe32(record + 8);
    geometry.tracksPerCylinder = BvGetLe32(record + 12);
    geometry.sectorsPerTrack = BvGetLe32(record + 16);
    geometry.bytesPerSector = BvGetLe32(record + 20);
    return ERR_OK;
}

int32_t CBvScsi_Nt::GetPartitionTable(CBvByteArray& layout) {
    uint8_t answer[kBvDriveLayoutLength] = {};
    uint32_t returned = 0;
    if (!platform::DeviceIo().DeviceIoControl(DeviceHandle(), platform::kIoctlDiskGetDriveLayout, nullptr, 0,
                                              answer, kBvDriveLayoutLength, &returned)) {
        return ReportSystemFailure(ERR_DISK_CONTROL);
    }
    layout.SetBytes(answer, std::min(layout.GetSize(), kBvDriveLayoutLength), 0);
    return ERR_OK;
}

int32_t CBvScsi_Nt::WritePartitionTable(const BvDiskGeometry& geometry, uint32_t hiddenSectors) {
    uint8_t layout[kBvDriveLayoutWriteSize];
    BvBuildDriveLayout(geometry, hiddenSectors, layout);
    uint32_t returned = 0;
    // The old layout goes first; whether there was one does not matter.
    platform::DeviceIo().DeviceIoControl(DeviceHandle(), platform::kIoctlDiskDeleteDriveLayout, nullptr, 0, nullptr,
                                         0, &returned);
    if (!platform::DeviceIo().DeviceIoControl(DeviceHandle(), platform::kIoctlDiskSetDriveLayout, layout,
                                              kBvDriveLayoutWriteSize, nullptr, 0, &returned)) {
        return ReportSystemFailure(ERR_DISK_CONTROL);
    }
    return ERR_OK;
}

// The byte offset is a 64-bit product: on a volume of 4 GiB and more a 32-bit one would wrap
// and address the wrong sectors.
int32_t CBvScsi_Nt::SeekSectors(uint32_t count, uint32_t firstSector, uint32_t sectorSize, int32_t failure,
                                uint32_t& size) {
    const uint64_t bytes = uint64_t{count} * sectorSize;
    if (bytes > UINT32_MAX) {  // more than one request can carry
        SetSystemError(platform::kErrorInvalidParameter);
        return ReportFailure(failure);
    }
    size = static_cast<uint32_t>(bytes);
    const uint64_t offset = uint64_t{firstSector} * sectorSize;
    if (!platform::DeviceIo().SetFilePointer(DeviceHandle(), static_cast<int64_t>(offset), platform::kFileBegin,
                                             nullptr)) {
        return ReportSystemFailure(failure);
    }
    return ERR_OK;
}

int32_t CBvScsi_Nt::WriteSectors(const CBvByteArray& data, uint32_t count, uint32_t firstSector,
                                 uint32_t sectorSize) {
    uint32_t size = 0;
    int32_t status = SeekSectors(count, firstSector, sectorSize, ERR_WRITE, size);
    if (status != ERR_OK) return status;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size]());
    if (!buffer) return ERR_NO_MEMORY;
    // Data shorter than the request go out padded with zeros, as a WRITE(10) sends them.
    const uint32_t available = std::min(size, data.GetSize());
    if (available) std::memcpy(buffer.get(), data.Bytes(), available);
    uint32_t written = 0;
    if (!platform::DeviceIo().WriteFile(DeviceHandle(), buffer.get(), size, &written)) {
        return ReportSystemFailure(ERR_WRITE);
    }
    return ERR_OK;
}

int32_t CBvScsi_Nt::ReadSectors(CBvByteArray& data, uint32_t count, uint32_t firstSector, uint32_t sectorSize) {
    uint32_t size = 0;
    int32_t status = SeekSectors(count, firstSector, sectorSize, ERR_READ, size);
    if (status != ERR_OK) return status;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size]());
    if (!buffer) return ERR_NO_MEMORY;
    uint32_t read = 0;
    if (!platform::DeviceIo().ReadFile(DeviceHandle(), buffer.get(), size, &read)) {
        return ReportSystemFailure(ERR_READ);
    }
    // Only as much as the caller's array holds.
    const uint32_t copied = std::min(size, data.GetSize());
    if (copied) data.SetBytes(buffer.get(), copied, 0);
    return ERR_OK;
}
