#pragma once
// The drive layout WritePartitionTable sends: the platform's DRIVE_LAYOUT_INFORMATION with
// four PARTITION_INFORMATION entries, 8 + 4 × 32 = 136 bytes at both widths (the 64-bit
// offsets keep every entry 8-byte aligned either way).
#include <cstdint>

#include "device/disk_geometry.h"

constexpr uint32_t kBvDriveLayoutEntries = 4;
constexpr uint32_t kBvPartitionInfoSize = 32;
constexpr uint32_t kBvDriveLayoutWriteSize = 8 + kBvDriveLayoutEntries * kBvPartitionInfoSize;
constexpr uint8_t kBvPartitionTypeFat16 = 6;

// One FAT16 partition from hiddenSectors to the end of the last whole cylinder, three empty
// entries; all four are rewritten. Offsets are computed in 64 bits.
void BvBuildDriveLayout(const BvDiskGeometry& geometry, uint32_t hiddenSectors,
                        uint8_t (&layout)[kBvDriveLayoutWriteSize]);
