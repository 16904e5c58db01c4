// What Windows' disk driver does for volume and disk requests: READ CAPACITY, READ(10) and
// WRITE(10) to the disk, with the volume's sectors counted from its partition's start.
#include <algorithm>
#include <vector>

#include "platform/errors.h"
#include "sim/pc/bytes.h"
#include "sim/pc/sim_pc_objects.h"

namespace sim {

namespace {

constexpr uint32_t kMaxTransferBytes = 64 * 1024;  // what the USB storage port takes at once

uint32_t Be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

}  // namespace

uint32_t SystemErrorOf(const ScsiResult& result, bool stillOnBus) {
    if (result.outcome == ScsiOutcome::DeviceGone) {
        return stillOnBus ? platform::kErrorIoDevice : platform::kErrorDeviceNotConnected;
    }
    switch (result.SenseKey()) {
    case 0x2: return platform::kErrorNotReady;
    case 0x3: return platform::kErrorCrc;
    case 0x5:
        return result.sense[12] == 0x21 ? platform::kErrorSectorNotFound
                                        : platform::kErrorInvalidFunction;
    case 0x7: return platform::kErrorWriteProtect;
    default: return platform::kErrorIoDevice;
    }
}

ScsiResult SimPc::DiskCommand(Disk& disk, const uint8_t* cdb, uint32_t cdbLength,
                              DataDirection direction, uint8_t* dataIn, const uint8_t* dataOut,
                              uint32_t length, const char* path) {
    ScsiRequest request;
    request.cdb = cdb;
    request.cdbLength = cdbLength;
    request.direction = length == 0 ? DataDirection::None : direction;
    request.dataIn = dataIn;
    request.dataOut = dataOut;
    request.transferLength = length;
    ScsiResult result = disk.target->Execute(request);
    m_clock.AdvanceMs(result.durationMs);
    m_trace.Command(path, disk.label, request, result);
    return result;
}

bool SimPc::ReadCapacity(Disk& disk, uint64_t* sectors, uint32_t* sectorSize) {
    const uint8_t cdb[10] = {0x25};
    uint8_t data[8] = {};
    ScsiResult result = DiskCommand(disk, cdb, 10, DataDirection::In, data, nullptr, 8, "disk");
    if (result.outcome != ScsiOutcome::Good || result.dataInBytes < 8 || Be32(data + 4) == 0) {
        return Fail(result.outcome == ScsiOutcome::Good ? platform::kErrorNotReady
                                                        : SystemErrorOf(result, IsPresent(disk)));
    }
    *sectors = uint64_t(Be32(data)) + 1;
    *sectorSize = Be32(data + 4);
    return true;
}

bool SimPc::TransferSectors(Disk& disk, uint64_t lba, uint32_t count, uint32_t sectorSize,
                            uint8_t* dataIn, const uint8_t* dataOut) {
    const uint32_t perCommand = std::max<uint32_t>(1, kMaxTransferBytes / sectorSize);
    for (uint32_t done = 0; done < count;) {
        uint32_t n = std::min(perCommand, count - done);
        uint64_t at = lba + done;
        if (at + n > 0x100000000ull) return Fail(platform::kErrorSectorNotFound);
        uint8_t cdb[10] = {uint8_t(dataIn != nullptr ? 0x28 : 0x2A), 0,
                           uint8_t(at >> 24), uint8_t(at >> 16), uint8_t(at >> 8), uint8_t(at),
                           0, uint8_t(n >> 8), uint8_t(n), 0};
        size_t offset = size_t(done) * sectorSize;
        ScsiResult result = DiskCommand(
            disk, cdb, 10, dataIn != nullptr ? DataDirection::In : DataDirection::Out,
            dataIn != nullptr ? dataIn + offset : nullptr,
            dataOut != nullptr ? dataOut + offset : nullptr, n * sectorSize, "disk");
        if (result.outcome != ScsiOutcome::Good) return Fail(SystemErrorOf(result, IsPresent(disk)));
        done += n;
    }
    return true;
}

// Windows reads the partition table when a volume is opened: with a valid MBR the volume is
// the first partition, otherwise (a superfloppy, or no medium yet) the whole disk.
void SimPc::FindPartition(DeviceObject& device) {
    Disk& disk = *device.disk;
    uint64_t sectors = 0;
    uint32_t sectorSize = 0;
    device.sizeKnown = false;
    if (!ReadCapacity(disk, &sectors, &sectorSize)) return;
    device.sizeKnown = true;
    device.sectorSize = sectorSize;
    device.partitionStart = 0;
    device.partitionSectors = sectors;
    std::vector<uint8_t> mbr(sectorSize);
    if (sectorSize < 512 || !TransferSectors(disk, 0, 1, sectorSize, mbr.data(), nullptr)) return;
    if (mbr[510] != 0x55 || mbr[511] != 0xAA) return;
    const uint8_t* first = nullptr;
    for (int i = 0; i < 4; ++i) {
        const uint8_t* entry = mbr.data() + 446 + 16 * i;
        if (entry[0] != 0x00 && entry[0] != 0x80) return;
        if (first == nullptr && entry[4] != 0 && Le32(entry + 12) != 0) first = entry;
    }
    if (first == nullptr) return;
    uint64_t start = Le32(first + 8);
    uint64_t length = Le32(first + 12);
    if (start == 0 || start + length > sectors) return;
    device.partitionStart = start;
    device.partitionSectors = length;
}

bool SimPc::SectorIo(DeviceObject& device, uint8_t* dataIn, const uint8_t* dataOut,
                     uint32_t size, uint32_t* done) {
    if (device.type != DeviceObject::Type::kVolume && device.type != DeviceObject::Type::kPhysical) {
        return Fail(platform::kErrorInvalidFunction);
    }
    if (device.disk == nullptr) return Fail(platform::kErrorNotReady);
    if (!CheckDeviceAlive(device)) return false;
    Disk& disk = *device.disk;
    if (device.type == DeviceObject::Type::kVolume && disk.volumeLockOwner != platform::kNullHandle &&
        disk.volumeLockOwner != device.handle) {
        return Fail(platform::kErrorAccessDenied);
    }
    if (!device.sizeKnown) {
        if (device.type == DeviceObject::Type::kVolume) {
            FindPartition(device);
        } else if (ReadCapacity(disk, &device.partitionSectors, &device.sectorSize)) {
            device.sizeKnown = true;
        }
        if (!device.sizeKnown) return false;
    }
    const uint32_t sectorSize = device.sectorSize;
    if (device.position % sectorSize != 0 || size % sectorSize != 0) {
        return Fail(platform::kErrorInvalidParameter);
    }
    uint64_t first = device.position / sectorSize;
    uint32_t count = size / sectorSize;
    if (first + count > device.partitionSectors) return Fail(platform::kErrorSectorNotFound);
    if (!TransferSectors(disk, device.partitionStart + first, count, sectorSize, dataIn, dataOut)) {
        return false;
    }
    device.position += size;
    if (done != nullptr) *done = size;
    return true;
}

}  // namespace sim
