#include "sim/player/medium.h"

#include "sim/player/byte_order.h"
#include "sim/player/device_codes.h"

namespace sim {

void LogicalDrive::Erase() {
    contents.Erase();
    for (int i = 0; i < 3; ++i) componentVersion[i] = productVersion[i] = 0;
}

Medium::Medium(uint64_t capacityBytes, uint32_t systemSectorSize, uint32_t dataSectorSize)
    : capacity_(capacityBytes), systemSectorSize_(systemSectorSize),
      dataSectorSize_(dataSectorSize) {}

LogicalDrive* Medium::Find(uint8_t number) {
    if (!readable_) return nullptr;
    for (auto& drive : drives_)
        if (drive.number == number) return &drive;
    return nullptr;
}

LogicalDrive* Medium::DataDrive() {
    if (!readable_) return nullptr;
    for (auto& drive : drives_)
        if (drive.IsData()) return &drive;
    return nullptr;
}

namespace {
// Rounds up to whole sectors; false when the result would pass `limit` (no overflow either).
bool RoundUpWithin(uint64_t size, uint32_t sector, uint64_t limit, uint64_t* rounded) {
    if (size > limit) return false;
    const uint64_t sectors = size / sector + (size % sector != 0 ? 1 : 0);
    if (sectors > limit / sector) return false;
    *rounded = sectors * sector;
    return true;
}
}  // namespace

uint16_t Medium::Allocate(const uint8_t* entries, uint32_t count) {
    if (count == 0 || count > kMaxDrives) return devcode::kEntryCount;

    std::vector<LogicalDrive> drives(count);
    int dataIndex = -1;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* entry = entries + i * kAllocationEntryBytes;
        LogicalDrive& drive = drives[i];
        drive.number = static_cast<uint8_t>(i);
        drive.type = entry[0];
        drive.tag = entry[1];
        drive.sizeBytes = LoadBe64(entry + 2);
        if (drive.type != LogicalDrive::kDataType && drive.type != LogicalDrive::kSystemType)
            return devcode::kUnknownDriveType;
        if (drive.IsData()) {
            if (dataIndex >= 0) return devcode::kTwoDataDrives;
            dataIndex = static_cast<int>(i);
        }
        drive.sectorSize = drive.IsData() ? dataSectorSize_ : systemSectorSize_;
    }

    // Fixed sizes first; a data drive of size 0 then takes what is left, in whole sectors.
    uint64_t used = 0;
    for (auto& drive : drives) {
        if (drive.IsData() && drive.sizeBytes == 0) continue;
        uint64_t rounded = 0;
        if (!RoundUpWithin(drive.sizeBytes, drive.sectorSize, capacity_ - used, &rounded))
            return devcode::kTableTooLarge;
        drive.sizeBytes = rounded;
        used += rounded;
    }
    if (dataIndex >= 0 && drives[dataIndex].sizeBytes == 0) {
        const uint64_t rest = (capacity_ - used) / dataSectorSize_ * dataSectorSize_;
        if (rest == 0) return devcode::kTableTooLarge;
        drives[dataIndex].sizeBytes = rest;
    }

    uint64_t offset = 0;
    for (auto& drive : drives) {
        drive.offset = offset;
        offset += drive.sizeBytes;
        drive.contents.SetPool(&pool_);
    }
    drives_ = std::move(drives);
    pool_.TrimIfUnused();
    readable_ = true;
    return 0;
}

void Medium::Erase() {
    drives_.clear();
    pool_.TrimIfUnused();
    readable_ = false;
}

void Medium::AttachContents() {
    for (auto& drive : drives_) drive.contents.SetPool(&pool_);
}

uint64_t Medium::StoredBytes() const {
    uint64_t total = 0;
    for (const auto& drive : drives_) total += drive.contents.StoredBytes();
    return total;
}

}  // namespace sim
