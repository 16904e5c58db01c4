#pragma once
// Cylinder/head/sector geometry of the player's disk: the search for the geometry that the
// partition is laid out on, and the CHS triples of the partition table.
#include <cstdint>

struct BvGeometry {
    uint32_t cylinders = 0;
    uint16_t heads = 0;
    uint8_t sectorsPerTrack = 0;

    uint64_t Sectors() const { return uint64_t{cylinders} * heads * sectorsPerTrack; }
};

// 1024 cylinders × 256 heads × 63 sectors: disks from here on get the conventional
// 255-head, 63-sector translation instead of the search.
constexpr uint64_t kBvChsSearchLimit = 1024ull * 256 * 63;

// Finds the geometry for a disk of totalSectors sectors. Below the search limit it is the
// first exact position or, failing that, the closest one below; from the limit on as many
// whole 255 × 63 cylinders as fit the disk and the partition table's 32-bit sector fields.
// A disk of 0 sectors has no position: ERR_CHS, with a line on standard output.
int32_t BvSearchGeometry(uint64_t totalSectors, BvGeometry& geometry);

// The partition table's 3-byte CHS form of a sector number. Cylinders past 1023 cannot be
// expressed and get the conventional maximum 1023/254/63; a sector past the geometry fails
// with ERR_CHS_RANGE.
int32_t BvEncodeChs(const BvGeometry& geometry, uint64_t sector, uint8_t triple[3]);
