#include "drives/fat_parameters.h"

#include <cstddef>

#include "app/status.h"

namespace {

struct ClusterRow {
    uint32_t upToSectors;
    uint32_t sectorsPerCluster;
};

constexpr ClusterRow kFat16Table[] = {
    {8400, 0},      {65536, 1},     {131072, 2},    {262144, 4},     {524288, 8},
    {1048576, 16},  {2097152, 32},  {4194304, 64},  {0xFFFFFFFF, 0},
};

constexpr ClusterRow kFat32Table[] = {
    {66600, 0},      {131072, 1},     {262144, 2},     {532480, 4},
    {16777216, 8},   {33554432, 16},  {67108864, 32},  {0xFFFFFFFF, 64},
};

constexpr uint32_t kFat12ClusterSize = 8;
constexpr uint32_t kMaxClusterBytes = 32768;
constexpr uint32_t kDirEntryBytes = 32;

constexpr uint64_t kFat12MinClusters = 1;
constexpr uint64_t kFat16MinClusters = 4085;
constexpr uint64_t kFat32MinClusters = 65525;
constexpr uint64_t kFat32MaxClusters = 0x0FFFFFF4;

struct ClusterTable {
    const ClusterRow* rows;
    size_t count;
};

constexpr ClusterTable kFat16 = {kFat16Table, sizeof kFat16Table / sizeof kFat16Table[0]};
constexpr ClusterTable kFat32 = {kFat32Table, sizeof kFat32Table / sizeof kFat32Table[0]};

// Index of the first row whose limit is not below the sector count; a count beyond every
// limit (a disk past 2 TiB of 512-byte sectors) belongs to the last row.
size_t RowIndex(const ClusterTable& table, uint64_t totalSectors) {
    for (size_t i = 0; i < table.count; ++i) {
        if (table.rows[i].upToSectors >= totalSectors) return i;
    }
    return table.count - 1;
}

// The size of the nearest row that has one: a 0 row stands for sizes the table does not cover.
uint32_t NearestTableSize(const ClusterTable& table, uint64_t totalSectors) {
    const size_t row = RowIndex(table, totalSectors);
    for (size_t distance = 0; distance < table.count; ++distance) {
        if (row + distance < table.count && table.rows[row + distance].sectorsPerCluster)
            return table.rows[row + distance].sectorsPerCluster;
        if (row >= distance && table.rows[row - distance].sectorsPerCluster)
            return table.rows[row - distance].sectorsPerCluster;
    }
    return 1;
}

uint32_t StartClusterSize(BvFatType type, uint64_t totalSectors) {
    switch (type) {
    case BV_FAT12: return kFat12ClusterSize;
    case BV_FAT16: return NearestTableSize(kFat16, totalSectors);
    default: return NearestTableSize(kFat32, totalSectors);
    }
}

uint32_t FatEntryBits(BvFatType type) {
    switch (type) {
    case BV_FAT12: return 12;
    case BV_FAT16: return 16;
    default: return 32;
    }
}

BvFatType TypeForClusterCount(uint64_t clusters) {
    if (clusters < kFat16MinClusters) return BV_FAT12;
    if (clusters < kFat32MinClusters) return BV_FAT16;
    return BV_FAT32;
}

bool ClusterCountFits(BvFatType type, uint64_t clusters) {
    switch (type) {
    case BV_FAT12: return clusters >= kFat12MinClusters && clusters < kFat16MinClusters;
    case BV_FAT16: return clusters >= kFat16MinClusters && clusters < kFat32MinClusters;
    default: return clusters >= kFat32MinClusters && clusters <= kFat32MaxClusters;
    }
}

bool IsValidAt(BvFatType type, uint32_t sectorsPerCluster, uint64_t volumeSectors,
               uint32_t sectorSize, BvFatParameters& parameters) {
    BvFatParameters candidate =
        BvComputeFatParameters(type, sectorsPerCluster, volumeSectors, sectorSize);
    if (!BvIsValidFatVolume(candidate, sectorSize)) return false;
    parameters = candidate;
    return true;
}

// The valid power-of-two cluster size closest to `start` (itself included); the smaller one
// on a tie.
bool NearestValidClusterSize(BvFatType type, uint32_t start, uint64_t volumeSectors,
                             uint32_t sectorSize, BvFatParameters& parameters) {
    const uint32_t maxSize = kMaxClusterBytes / sectorSize;
    for (uint32_t smaller = start, larger = start; smaller >= 1 || larger <= maxSize;
         smaller /= 2, larger *= 2) {
        if (smaller >= 1 && IsValidAt(type, smaller, volumeSectors, sectorSize, parameters))
            return true;
        if (larger != smaller && larger <= maxSize && IsValidAt(type, larger, volumeSectors, sectorSize, parameters))
            return true;
    }
    return false;
}

}  // namespace

BvFatType BvFatTypeForDisk(uint64_t totalSectors, uint32_t sectorSize, bool fat16Requested) {
    if (fat16Requested) return BV_FAT16;
    // 64 bits: a disk of 4 GiB and more must not wrap round to a small size, nor one whose
    // size in bytes does not even fit 64 bits.
    if (sectorSize && totalSectors > UINT64_MAX / sectorSize) return BV_FAT32;
    const uint64_t bytes = totalSectors * sectorSize;
    if (bytes <= 4194304) return BV_FAT12;
    if (bytes <= 33554432) return BV_FAT16;
    return BV_FAT32;
}

uint32_t BvTableClusterSize(BvFatType type, uint64_t totalSectors) {
    switch (type) {
    case BV_FAT12: return kFat12ClusterSize;
    case BV_FAT16: return kFat16.rows[RowIndex(kFat16, totalSectors)].sectorsPerCluster;
    default: return kFat32.rows[RowIndex(kFat32, totalSectors)].sectorsPerCluster;
    }
}

BvFatParameters BvComputeFatParameters(BvFatType type, uint32_t sectorsPerCluster,
                                       uint64_t volumeSectors, uint32_t sectorSize) {
    BvFatParameters p;
    p.type = type;
    p.sectorsPerCluster = sectorsPerCluster;
    p.reservedSectors = type == BV_FAT32 ? 32 : 1;
    p.rootEntries = type == BV_FAT32 ? 0 : 512;
    p.rootEntrySectors = (p.rootEntries * kDirEntryBytes + sectorSize - 1) / sectorSize;

    const uint64_t overhead = uint64_t{p.reservedSectors} + p.rootEntrySectors;
    if (volumeSectors <= overhead || sectorsPerCluster == 0) return p;
    // The FAT size formula Microsoft publishes for FAT volumes.
    const uint64_t t1 = volumeSectors - overhead;
    uint64_t t2 = 256ull * sectorsPerCluster + kBvFatCount;
    if (type == BV_FAT32) t2 /= 2;
    uint64_t fatSectors = (t1 + t2 - 1) / t2;
    // That formula leaves out the two reserved entries and can come out a sector short of the
    // clusters it leaves: readers refuse such a FAT.
    const uint64_t entriesPerSector = uint64_t{sectorSize} * 8 / FatEntryBits(type);
    while (t1 > kBvFatCount * fatSectors &&
           (t1 - kBvFatCount * fatSectors) / sectorsPerCluster + 2 > fatSectors * entriesPerSector)
        ++fatSectors;
    p.sectorsPerFat = fatSectors > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(fatSectors);
    if (t1 > kBvFatCount * fatSectors)
        p.clusterCount = (t1 - kBvFatCount * fatSectors) / sectorsPerCluster;
    return p;
}

bool BvIsValidFatVolume(const BvFatParameters& p, uint32_t sectorSize) {
    if (p.sectorsPerCluster == 0 || uint64_t{p.sectorsPerCluster} * sectorSize > kMaxClusterBytes)
        return false;
    if (p.type != BV_FAT32 && p.sectorsPerFat > 0xFFFF) return false;
    return ClusterCountFits(p.type, p.clusterCount);
}

int32_t BvChooseFatParameters(BvFatType type, uint64_t totalSectors, uint64_t volumeSectors,
                              uint32_t sectorSize, BvFatParameters& parameters) {
    BvFatParameters described = BvComputeFatParameters(
        type, BvTableClusterSize(type, totalSectors), volumeSectors, sectorSize);
    if (BvIsValidFatVolume(described, sectorSize)) {
        parameters = described;
        return ERR_OK;
    }
    bool tried[3] = {false, false, false};
    while (!tried[type]) {
        tried[type] = true;
        const uint32_t start = StartClusterSize(type, totalSectors);
        if (NearestValidClusterSize(type, start, volumeSectors, sectorSize, parameters))
            return ERR_OK;
        type = TypeForClusterCount(
            BvComputeFatParameters(type, start, volumeSectors, sectorSize).clusterCount);
    }
    return ERR_FAT_TYPE;
}
