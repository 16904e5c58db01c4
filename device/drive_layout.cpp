#include "device/drive_layout.h"

#include <cstring>

#include "device/little_endian.h"

void BvBuildDriveLayout(const BvDiskGeometry& geometry, uint32_t hiddenSectors,
                        uint8_t (&layout)[kBvDriveLayoutWriteSize]) {
    std::memset(layout, 0, sizeof layout);
    BvPutLe32(layout, kBvDriveLayoutEntries);  // signature stays 0
    const uint64_t start = uint64_t{hiddenSectors} * geometry.bytesPerSector;
    const uint64_t diskBytes = geometry.cylinders * geometry.tracksPerCylinder * geometry.sectorsPerTrack *
                               uint64_t{geometry.bytesPerSector};
    for (uint32_t i = 0; i < kBvDriveLayoutEntries; ++i) {
        uint8_t* entry = layout + 8 + i * kBvPartitionInfoSize;
        BvPutLe32(entry + 20, i + 1);  // partition number
        entry[27] = 1;                 // rewrite
        if (i != 0) continue;
        BvPutLe64(entry + 0, start);
        BvPutLe64(entry + 8, diskBytes - start);
        BvPutLe32(entry + 16, hiddenSectors);
        entry[24] = kBvPartitionTypeFat16;
        entry[26] = 1;  // recognized
    }
}
