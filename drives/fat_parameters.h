#pragma once
// The FAT type and cluster size of the data drive's volume, and the sizes that follow from
// them (reserved area, root directory, FAT, cluster count).
#include <cstdint>

enum BvFatType : uint16_t { BV_FAT12 = 0, BV_FAT16 = 1, BV_FAT32 = 2 };

struct BvFatParameters {
    BvFatType type = BV_FAT12;
    uint32_t sectorsPerCluster = 0;
    uint32_t reservedSectors = 0;
    uint32_t rootEntries = 0;
    uint32_t rootEntrySectors = 0;  // sectors of the fixed FAT12/16 root directory; 0 for FAT32
    uint32_t sectorsPerFat = 0;
    uint64_t clusterCount = 0;
};

constexpr uint32_t kBvFatCount = 2;

// FAT12 up to 4 MiB, FAT16 up to 32 MiB, FAT32 beyond; FAT16 whatever the size when asked for.
BvFatType BvFatTypeForDisk(uint64_t totalSectors, uint32_t sectorSize, bool fat16Requested);

// Sectors per cluster from the cluster-size tables, which go by the disk's sector count;
// 0 where the table has no size for it.
uint32_t BvTableClusterSize(BvFatType type, uint64_t totalSectors);

// Sizes of a volume with the given type and cluster size (1 or more sectors); a volume too
// small for its reserved area, root directory and FATs gets 0 clusters. The FAT always has
// room for an entry per cluster and the two reserved entries.
BvFatParameters BvComputeFatParameters(BvFatType type, uint32_t sectorsPerCluster,
                                       uint64_t volumeSectors, uint32_t sectorSize);

// Whether FAT readers accept such a volume: a cluster count in the type's range, clusters of
// at most 32 KiB, a FAT size that fits its field.
bool BvIsValidFatVolume(const BvFatParameters& parameters, uint32_t sectorSize);

// The table's choice where it makes a valid volume; otherwise the nearest cluster size that
// does, and failing that the FAT type the cluster count calls for with that type's own
// cluster size (again the nearest valid one). ERR_FAT_TYPE when nothing is valid.
int32_t BvChooseFatParameters(BvFatType type, uint64_t totalSectors, uint64_t volumeSectors,
                              uint32_t sectorSize, BvFatParameters& parameters);
