#pragma once
// The flash medium as the player's firmware manages it: the logical media table (at most 10
// drives, numbered in table order) and each drive's contents and drive information.
#include <cstdint>
#include <vector>

#include "sim/player/sparse_store.h"

namespace sim {

struct LogicalDrive {
    uint8_t number = 0;
    uint8_t type = 0;               // 0 data, 1 system
    uint8_t tag = 0;
    uint64_t sizeBytes = 0;         // whole sectors
    uint32_t sectorSize = 0;
    uint64_t offset = 0;            // where the drive begins on the medium
    uint16_t componentVersion[3] = {};
    uint16_t productVersion[3] = {};
    SparseStore contents;

    uint64_t SectorCount() const { return sizeBytes / sectorSize; }
    bool IsData() const { return type == kDataType; }
    void Erase();                   // contents back to 0xFF, versions back to 0.0.0

    static constexpr uint8_t kDataType = 0;
    static constexpr uint8_t kSystemType = 1;
};

class Medium {
public:
    static constexpr uint32_t kMaxDrives = 10;
    static constexpr uint32_t kAllocationEntryBytes = 10;   // type, tag, 64-bit size
    static constexpr uint32_t kAllocationStrideBytes = 11;  // what the host sends per entry

    Medium(uint64_t capacityBytes, uint32_t systemSectorSize, uint32_t dataSectorSize);
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;

    uint64_t CapacityBytes() const { return capacity_; }
    uint32_t SystemSectorSize() const { return systemSectorSize_; }
    uint32_t DataSectorSize() const { return dataSectorSize_; }

    bool TableReadable() const { return readable_; }
    // The drives of a readable table (empty otherwise).
    const std::vector<LogicalDrive>& Drives() const { return readable_ ? drives_ : empty_; }
    LogicalDrive* Find(uint8_t number);
    LogicalDrive* DataDrive();

    // Replaces the table from `count` allocation entries (10 bytes each, at a stride of 11).
    // Returns 0 or the device code of the refusal; a refused table changes nothing.
    uint16_t Allocate(const uint8_t* entries, uint32_t count);
    // Erases every drive and the table itself: unreadable until the next allocation.
    void Erase();
    // The table's own sectors are damaged: unreadable until the next allocation; the drives'
    // contents stay on the flash but cannot be reached.
    void DamageTable() { readable_ = false; }

    uint64_t StoredBytes() const;

    // For loading a saved image: the raw table, as kept.
    std::vector<LogicalDrive>& RawDrives() { return drives_; }
    const std::vector<LogicalDrive>& RawDrives() const { return drives_; }
    void SetReadable(bool readable) { readable_ = readable; }

    // Gives the drives of a loaded table their chunk memory.
    void AttachContents();

private:
    ChunkPool pool_;  // first, so that it outlives every drive's chunks
    uint64_t capacity_;
    uint32_t systemSectorSize_;
    uint32_t dataSectorSize_;
    bool readable_ = false;
    std::vector<LogicalDrive> drives_;
    std::vector<LogicalDrive> empty_;
};

}  // namespace sim
