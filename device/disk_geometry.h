#pragma once
// The geometry of a disk as the updater uses it: read by GetGeometry, used to lay out the
// partition table and the FAT. The transports fill it from their platform's answer.
#include <cstdint>

struct BvDiskGeometry {
    uint64_t cylinders = 0;
    uint32_t mediaType = 0;
    uint32_t tracksPerCylinder = 0;
    uint32_t sectorsPerTrack = 0;
    uint32_t bytesPerSector = 0;
};
