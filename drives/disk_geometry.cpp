#include "drives/disk_geometry.h"

#include <cstdio>

#include "app/status.h"

namespace {

constexpr uint32_t kMaxCylinders = 1024;
constexpr uint32_t kMaxHeads = 256;
constexpr uint32_t kMaxSectorsPerTrack = 63;

constexpr uint16_t kLargeDiskHeads = 255;
constexpr uint8_t kLargeDiskSectorsPerTrack = 63;
// The partition's first sector and size are 32-bit fields: the geometry must end below that.
constexpr uint64_t kMaxPartitionedSectors = 0xFFFFFFFFull;

BvGeometry Position(uint32_t cylinders, uint32_t heads, uint32_t sectorsPerTrack) {
    BvGeometry g;
    g.cylinders = cylinders;
    g.heads = static_cast<uint16_t>(heads);
    g.sectorsPerTrack = static_cast<uint8_t>(sectorsPerTrack);
    return g;
}

BvGeometry LargeDiskGeometry(uint64_t totalSectors) {
    uint64_t usable = totalSectors < kMaxPartitionedSectors ? totalSectors : kMaxPartitionedSectors;
    uint64_t perCylinder = uint64_t{kLargeDiskHeads} * kLargeDiskSectorsPerTrack;
    return Position(static_cast<uint32_t>(usable / perCylinder), kLargeDiskHeads,
                    kLargeDiskSectorsPerTrack);
}

}  // namespace

int32_t BvSearchGeometry(uint64_t totalSectors, BvGeometry& geometry) {
    if (totalSectors >= kBvChsSearchLimit) {
        geometry = LargeDiskGeometry(totalSectors);
        return ERR_OK;
    }
    // Below the limit every product fits 32 bits.
    const uint32_t total = static_cast<uint32_t>(totalSectors);
    uint32_t smallestDifference = 0x7FFFFFFF;
    BvGeometry best;
    for (uint32_t cyl = 1; cyl <= kMaxCylinders; ++cyl) {
        for (uint32_t hd = 1; hd <= kMaxHeads; ++hd) {
            for (uint32_t spt = 1; spt <= kMaxSectorsPerTrack; ++spt) {
                uint32_t product = cyl * hd * spt;
                if (product < total) continue;
                if (product == total) {
                    geometry = Position(cyl, hd, spt);
                    return ERR_OK;
                }
                // Overshot: the position just before this one in the enumeration is a candidate.
                uint32_t c = cyl, h = hd, s = spt - 1;
                if (s == 0) {
                    s = kMaxSectorsPerTrack;
                    if (--h == 0) {
                        h = kMaxHeads;
                        if (--c == 0) {
                            std::fputs("ERROR - bad CHS solution\r\n", stdout);
                            return ERR_CHS;
                        }
                    }
                }
                // Unsigned: a candidate that itself lies beyond the disk wraps and never wins.
                uint32_t difference = total - c * h * s;
                if (difference < smallestDifference) {
                    smallestDifference = difference;
                    best = Position(c, h, s);
                }
            }
        }
    }
    geometry = best;
    return ERR_OK;
}

int32_t BvEncodeChs(const BvGeometry& geometry, uint64_t sector, uint8_t triple[3]) {
    const uint64_t perCylinder = uint64_t{geometry.heads} * geometry.sectorsPerTrack;
    if (perCylinder == 0 || sector / perCylinder >= geometry.cylinders) return ERR_CHS_RANGE;
    uint64_t cylinder = sector / perCylinder;
    uint32_t head = static_cast<uint32_t>(sector / geometry.sectorsPerTrack % geometry.heads);
    uint32_t sectorInTrack = static_cast<uint32_t>(sector % geometry.sectorsPerTrack) + 1;
    if (cylinder > 1023) {
        cylinder = 1023;
        head = 254;
        sectorInTrack = 63;
    }
    triple[0] = static_cast<uint8_t>(head);
    triple[1] = static_cast<uint8_t>((sectorInTrack & 0x3F) | ((cylinder >> 2) & 0xC0));
    triple[2] = static_cast<uint8_t>(cylinder & 0xFF);
    return ERR_OK;
}
