// VWIN32 of the Windows 95 family: DOS IOCTL requests (INT 21h, 440Dh) in a register block,
// answered through the carry flag with a DOS error code in AX.
#include <cstring>

#include "platform/control_codes.h"
#include "platform/errors.h"
#include "sim/pc/bytes.h"
#include "sim/pc/sim_pc_objects.h"

namespace sim {

namespace {

// DIOC_REGISTERS: EBX, EDX, ECX, EAX, EDI, ESI, flags.
constexpr uint32_t kRegisterBlockSize = 28;
constexpr uint32_t kCarry = 0x0001;

// DOS error codes
constexpr uint16_t kDosInvalidFunction = 0x01;
constexpr uint16_t kDosAccessDenied = 0x05;
constexpr uint16_t kDosInvalidAddress = 0x09;
constexpr uint16_t kDosInvalidDrive = 0x0F;
constexpr uint16_t kDosNotReady = 0x15;
constexpr uint16_t kDosBadLength = 0x18;
constexpr uint16_t kDosNotLocked = 0xB0;

}  // namespace

// VWIN32 sees flat 32-bit addresses. A 64-bit build's buffers lie above 4 GiB, so they are
// given a 32-bit alias that the requests translate back.
std::uint32_t SimPc::Vwin32Address(void* buffer) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(buffer);
    if (sizeof(void*) == 4) return static_cast<uint32_t>(value);
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& alias : m_vwin32Aliases) {
        if (alias.second == buffer) return alias.first;
    }
    const uint32_t alias = 0xC0000000u + (m_nextAlias++ % 256) * 0x10000u;
    m_vwin32Aliases[alias] = static_cast<uint8_t*>(buffer);
    return alias;
}

uint8_t* SimPc::Vwin32Pointer(uint32_t address) {
    if (sizeof(void*) == 4) return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(address));
    auto found = m_vwin32Aliases.find(address);
    return found == m_vwin32Aliases.end() ? nullptr : found->second;
}

bool SimPc::Vwin32Control(std::uint32_t code, const uint8_t* in, std::uint32_t inSize,
                          uint8_t* out, std::uint32_t outSize, std::uint32_t* bytesReturned) {
    if (code != platform::kVwin32DiocDosIoctl) return Fail(platform::kErrorInvalidFunction);
    if (inSize < kRegisterBlockSize || outSize < kRegisterBlockSize) {
        return Fail(platform::kErrorInvalidParameter);
    }
    uint8_t block[kRegisterBlockSize];
    std::memcpy(block, in, kRegisterBlockSize);
    const uint32_t ebx = Le32(block);
    const uint32_t edx = Le32(block + 4);
    const uint32_t ecx = Le32(block + 8);
    uint32_t eax = Le32(block + 12);
    uint32_t flags = Le32(block + 24);
    uint16_t error = (eax & 0xFFFF) == 0x440D ? DosIoctl(ebx, ecx, edx) : kDosInvalidFunction;
    if (error != 0) {
        eax = (eax & 0xFFFF0000u) | error;
        flags |= kCarry;
    } else {
        flags &= ~kCarry;
    }
    PutLe32(block + 12, eax);
    PutLe32(block + 24, flags);
    std::memcpy(out, block, kRegisterBlockSize);
    *bytesReturned = kRegisterBlockSize;
    return true;
}

// 440Dh: BL drive (1 = A:, or the BIOS unit for physical locks), CH category (48h is the
// FAT32-aware form of 08h), CL minor code, EDX permissions or the address of a parameter block.
uint16_t SimPc::DosIoctl(uint32_t ebx, uint32_t ecx, uint32_t edx) {
    const uint8_t category = uint8_t(ecx >> 8);
    const uint8_t minor = uint8_t(ecx);
    const uint8_t bl = uint8_t(ebx);
    if (category != 0x08 && category != 0x48) return kDosInvalidFunction;
    const int letter = bl >= 1 && bl <= 26 ? 'A' + bl - 1 : 0;
    switch (minor) {
    case 0x4A: return DosLock(letter, false, true);
    case 0x6A: return DosLock(letter, false, false);
    case 0x4B: return DosLock(bl, true, true);
    case 0x6B: return DosLock(bl, true, false);
    case 0x60: {
        uint8_t* block = Vwin32Pointer(edx);
        return block == nullptr ? kDosInvalidAddress : DosDeviceParameters(letter, block);
    }
    case 0x6F: {
        uint8_t* info = Vwin32Pointer(edx);
        return info == nullptr ? kDosInvalidAddress : DosDriveMap(letter, info);
    }
    default: return kDosInvalidFunction;
    }
}

// Logical locks name the drive letter; physical locks the BIOS unit of the disk.
uint16_t SimPc::DosLock(int letterOrUnit, bool physical, bool lock) {
    Disk* disk = nullptr;
    if (physical) {
        for (auto& candidate : m_disks) {
            if (candidate->slot.driveMap.biosDrive == letterOrUnit && letterOrUnit >= 0x80 &&
                letterOrUnit != 0xFF) {
                disk = candidate.get();
            }
        }
    } else {
        if (m_letterDrives.count(letterOrUnit) != 0) return 0;
        disk = DiskByLetter(letterOrUnit);
    }
    if (disk == nullptr || !IsPresent(*disk)) return kDosInvalidDrive;
    if (lock) {
        if (disk->busy) return kDosAccessDenied;
        ++disk->dosLocks;
        return 0;
    }
    if (disk->dosLocks == 0) return kDosNotLocked;
    --disk->dosLocks;
    return 0;
}

// 0860h: the device parameter block with its BIOS parameter block at offset 7.
uint16_t SimPc::DosDeviceParameters(int letter, uint8_t* block) {
    if (m_letterDrives.count(letter) != 0) return kDosNotReady;
    Disk* disk = DiskByLetter(letter);
    if (disk == nullptr || !IsPresent(*disk)) return kDosInvalidDrive;
    DeviceObject volume(DeviceObject::Type::kVolume);
    volume.disk = disk;
    volume.letter = letter;
    FindPartition(volume);
    if (!volume.sizeKnown) return kDosNotReady;
    const uint32_t heads = disk->slot.heads;
    const uint32_t sectorsPerTrack = disk->slot.sectorsPerTrack;
    uint64_t diskSectors = volume.partitionStart + volume.partitionSectors;
    uint64_t cylinders = diskSectors / (uint64_t(heads) * sectorsPerTrack);
    block[1] = 5;  // hard disk
    PutLe16(block + 2, disk->driveType == platform::kDriveRemovable ? 0 : 1);
    PutLe16(block + 4, uint16_t(cylinders > 0xFFFF ? 0xFFFF : cylinders));
    block[6] = 0;
    PutLe16(block + 7, uint16_t(volume.sectorSize));
    block[17] = 0xF8;
    PutLe16(block + 20, uint16_t(sectorsPerTrack));
    PutLe16(block + 22, uint16_t(heads));
    PutLe32(block + 24, uint32_t(volume.partitionStart));
    const uint64_t total = volume.partitionSectors;
    PutLe16(block + 15, uint16_t(total < 0x10000 ? total : 0));
    PutLe32(block + 28, uint32_t(total < 0x10000 ? 0 : (total > 0xFFFFFFFFu ? 0xFFFFFFFFu : total)));
    return 0;
}

// 086Fh: drive map information, from what the PC knows of the drive (no disk access).
uint16_t SimPc::DosDriveMap(int letter, uint8_t* info) {
    if (info[0] < 16) return kDosBadLength;
    DriveMap map;
    if (m_letterDrives.count(letter) != 0) {
        auto found = m_letterDriveMaps.find(letter);
        if (found == m_letterDriveMaps.end()) return kDosInvalidFunction;
        map = found->second;
    } else {
        Disk* disk = DiskByLetter(letter);
        if (disk == nullptr || !IsPresent(*disk)) return kDosInvalidDrive;
        map = disk->slot.driveMap;
    }
    info[1] = 16;
    info[2] = map.flags;
    info[3] = map.biosDrive;
    PutLe32(info + 4, 1u << (letter - 'A'));
    PutLe64(info + 8, 0);
    return 0;
}

}  // namespace sim
