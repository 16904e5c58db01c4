// Volume and disk control requests of the NT family: lock, unlock, dismount, geometry and the
// drive layout kept in the disk's MBR.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/control_codes.h"
#include "platform/errors.h"
#include "platform/file_access.h"
#include "platform/system_info.h"
#include "sim/pc/bytes.h"
#include "sim/pc/sim_pc_objects.h"

namespace sim {

namespace {

constexpr uint32_t kGeometrySize = 24;        // DISK_GEOMETRY
constexpr uint32_t kPartitionInfoSize = 32;   // PARTITION_INFORMATION
constexpr uint32_t kLayoutHeaderSize = 8;     // DRIVE_LAYOUT_INFORMATION before its entries
constexpr uint32_t kMediaRemovable = 11;      // MEDIA_TYPE RemovableMedia
constexpr uint32_t kMediaFixed = 12;          // MEDIA_TYPE FixedMedia

bool IsRecognized(uint8_t type) {
    switch (type) {
    case 0x01: case 0x04: case 0x06: case 0x07: case 0x0B: case 0x0C: case 0x0E: return true;
    default: return false;
    }
}

// CHS of an MBR entry, clamped as tools do once the cylinder passes 1023.
void PutChs(uint8_t* out, uint64_t lba, uint32_t heads, uint32_t sectorsPerTrack) {
    uint64_t cylinder = lba / (uint64_t(heads) * sectorsPerTrack);
    if (cylinder > 1023) {
        out[0] = 0xFE;
        out[1] = 0xFF;
        out[2] = 0xFF;
        return;
    }
    uint32_t head = uint32_t((lba / sectorsPerTrack) % heads);
    uint32_t sector = uint32_t(lba % sectorsPerTrack) + 1;
    out[0] = uint8_t(head);
    out[1] = uint8_t(sector | ((cylinder >> 2) & 0xC0));
    out[2] = uint8_t(cylinder);
}

}  // namespace

bool SimPc::DiskControl(DeviceObject& device, std::uint32_t code, const uint8_t* in,
                        std::uint32_t inSize, uint8_t* out, std::uint32_t outSize,
                        std::uint32_t* bytesReturned) {
    if (!CheckDeviceAlive(device)) return false;
    const bool readable = (device.access & platform::kGenericRead) != 0;
    const bool writable = (device.access & platform::kGenericWrite) != 0;
    switch (code) {
    case platform::kFsctlLockVolume:
    case platform::kFsctlUnlockVolume:
    case platform::kFsctlDismountVolume:
        return VolumeLock(device, code);
    case platform::kIoctlDiskGetDriveGeometry:
        return GetGeometry(device, out, outSize, bytesReturned);
    case platform::kIoctlDiskGetDriveLayout:
        if (!readable) return Fail(platform::kErrorAccessDenied);
        return GetLayout(device, out, outSize, bytesReturned);
    case platform::kIoctlDiskSetDriveLayout:
        if (!readable || !writable) return Fail(platform::kErrorAccessDenied);
        return SetLayout(device, in, inSize);
    case platform::kIoctlDiskDeleteDriveLayout:
        if (!readable || !writable) return Fail(platform::kErrorAccessDenied);
        return DeleteLayout(device);
    case platform::kIoctlScsiPassThrough:
        if (!readable || !writable) return Fail(platform::kErrorAccessDenied);
        return PassThrough(device, in, inSize, out, outSize, bytesReturned);
    default:
        return Fail(platform::kErrorInvalidFunction);
    }
}

// One holder of a volume lock at a time; other programs' open files keep it from being taken.
// Handles on the whole disk take part in no volume lock.
bool SimPc::VolumeLock(DeviceObject& device, std::uint32_t code) {
    if (device.type != DeviceObject::Type::kVolume || device.disk == nullptr) return true;
    Disk& disk = *device.disk;
    switch (code) {
    case platform::kFsctlLockVolume:
        if (disk.busy || disk.volumeLockOwner != platform::kNullHandle) {
            return Fail(platform::kErrorAccessDenied);
        }
        disk.volumeLockOwner = device.handle;
        return true;
    case platform::kFsctlUnlockVolume:
        if (disk.volumeLockOwner != device.handle) return Fail(platform::kErrorNotLocked);
        disk.volumeLockOwner = platform::kNullHandle;
        return true;
    default:  // dismount: the file system lets go; nothing else to model
        return true;
    }
}

bool SimPc::GetGeometry(DeviceObject& device, uint8_t* out, std::uint32_t outSize,
                        std::uint32_t* bytesReturned) {
    if (device.disk == nullptr) return Fail(platform::kErrorNotReady);
    if (outSize < kGeometrySize) return Fail(platform::kErrorInsufficientBuffer);
    Disk& disk = *device.disk;
    uint64_t sectors = 0;
    uint32_t sectorSize = 0;
    if (!ReadCapacity(disk, &sectors, &sectorSize)) return false;
    const uint32_t heads = disk.slot.heads;
    const uint32_t sectorsPerTrack = disk.slot.sectorsPerTrack;
    std::memset(out, 0, kGeometrySize);
    PutLe64(out, sectors / (uint64_t(heads) * sectorsPerTrack));
    PutLe32(out + 8, disk.driveType == platform::kDriveRemovable ? kMediaRemovable : kMediaFixed);
    PutLe32(out + 12, heads);
    PutLe32(out + 16, sectorsPerTrack);
    PutLe32(out + 20, sectorSize);
    *bytesReturned = kGeometrySize;
    return true;
}

// Sector 0 of the disk, with the capacity the disk reports.
bool SimPc::ReadMbr(Disk& disk, std::vector<uint8_t>* mbr, uint64_t* sectors,
                    uint32_t* sectorSize) {
    if (!ReadCapacity(disk, sectors, sectorSize)) return false;
    mbr->assign(*sectorSize, 0);
    return TransferSectors(disk, 0, 1, *sectorSize, mbr->data(), nullptr);
}

bool SimPc::GetLayout(DeviceObject& device, uint8_t* out, std::uint32_t outSize,
                      std::uint32_t* bytesReturned) {
    if (device.disk == nullptr) return Fail(platform::kErrorNotReady);
    const uint32_t size = kLayoutHeaderSize + 4 * kPartitionInfoSize;
    if (outSize < size) return Fail(platform::kErrorInsufficientBuffer);
    uint64_t sectors = 0;
    uint32_t sectorSize = 0;
    std::vector<uint8_t> mbr;
    if (!ReadMbr(*device.disk, &mbr, &sectors, &sectorSize)) return false;
    std::memset(out, 0, size);
    PutLe32(out, 4);
    const bool valid = sectorSize >= 512 && mbr[510] == 0x55 && mbr[511] == 0xAA;
    if (valid) {
        PutLe32(out + 4, Le32(mbr.data() + 440));
        uint32_t number = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t* entry = mbr.data() + 446 + 16 * i;
            uint8_t* info = out + kLayoutHeaderSize + kPartitionInfoSize * i;
            if (entry[4] == 0) continue;
            uint64_t start = Le32(entry + 8);
            uint64_t length = Le32(entry + 12);
            PutLe64(info, start * sectorSize);
            PutLe64(info + 8, length * sectorSize);
            PutLe32(info + 16, uint32_t(start));
            PutLe32(info + 20, ++number);
            info[24] = entry[4];
            info[25] = entry[0] == 0x80 ? 1 : 0;
            info[26] = IsRecognized(entry[4]) ? 1 : 0;
        }
    }
    *bytesReturned = size;
    return true;
}

bool SimPc::SetLayout(DeviceObject& device, const uint8_t* in, std::uint32_t inSize) {
    if (device.disk == nullptr) return Fail(platform::kErrorNotReady);
    if (inSize < kLayoutHeaderSize) return Fail(platform::kErrorInvalidParameter);
    const uint32_t count = Le32(in);
    if (count == 0 || count > 4 || inSize < kLayoutHeaderSize + count * kPartitionInfoSize) {
        return Fail(platform::kErrorInvalidParameter);
    }
    Disk& disk = *device.disk;
    uint64_t sectors = 0;
    uint32_t sectorSize = 0;
    std::vector<uint8_t> mbr;
    if (!ReadMbr(disk, &mbr, &sectors, &sectorSize)) return false;
    if (sectorSize < 512) return Fail(platform::kErrorInvalidFunction);
    // Without a partition table the sector holds nothing worth keeping (erased flash reads
    // 0xFF): the new MBR starts from zeros.
    if (mbr[510] != 0x55 || mbr[511] != 0xAA) std::fill(mbr.begin(), mbr.end(), uint8_t(0));
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* info = in + kLayoutHeaderSize + kPartitionInfoSize * i;
        uint8_t* entry = mbr.data() + 446 + 16 * i;
        if (info[27] == 0) continue;  // RewritePartition clear: keep the slot
        std::memset(entry, 0, 16);
        const uint8_t type = info[24];
        if (type == 0) continue;
        const uint64_t offset = Le64(info);
        const uint64_t length = Le64(info + 8);
        if (offset % sectorSize != 0 || length % sectorSize != 0 || length == 0) {
            return Fail(platform::kErrorInvalidParameter);
        }
        const uint64_t start = offset / sectorSize;
        const uint64_t size = length / sectorSize;
        if (start == 0 || start + size > sectors || start + size > 0xFFFFFFFFull) {
            return Fail(platform::kErrorInvalidParameter);
        }
        entry[0] = info[25] ? 0x80 : 0x00;
        PutChs(entry + 1, start, disk.slot.heads, disk.slot.sectorsPerTrack);
        entry[4] = type;
        PutChs(entry + 5, start + size - 1, disk.slot.heads, disk.slot.sectorsPerTrack);
        PutLe32(entry + 8, uint32_t(start));
        PutLe32(entry + 12, uint32_t(size));
    }
    PutLe32(mbr.data() + 440, Le32(in + 4));
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    return TransferSectors(disk, 0, 1, sectorSize, nullptr, mbr.data());
}

// Removes the signature and the partition entries: the disk counts as unpartitioned.
bool SimPc::DeleteLayout(DeviceObject& device) {
    if (device.disk == nullptr) return Fail(platform::kErrorNotReady);
    Disk& disk = *device.disk;
    uint64_t sectors = 0;
    uint32_t sectorSize = 0;
    std::vector<uint8_t> mbr;
    if (!ReadMbr(disk, &mbr, &sectors, &sectorSize)) return false;
    if (sectorSize < 512) return Fail(platform::kErrorInvalidFunction);
    std::memset(mbr.data() + 440, 0, 72);
    return TransferSectors(disk, 0, 1, sectorSize, nullptr, mbr.data());
}

}  // namespace sim
