#pragma once
// Writes a disk's FAT layout, sector run by sector run, in the order the format operation
// writes it: master boot record, rest of the hidden track, boot sector, the FAT32 reserved
// area with its backup, both FATs, the root directory with the label entry, and the sectors
// beyond the geometry. The data area is not written.
#include <cstdint>

class CBvDisk;
class CBvSectorSink;

// Where the zeroing of the sectors beyond the geometry goes, which depends on the system.
enum class BvLeftoverWrite {
    BeforeVolume,  // Windows 2000/XP: right after the hidden track, then the sink enters the partition
    AfterVolume,   // Windows 95/98/Me: at the end, the whole disk addressed throughout
    None,          // other systems: not written
};

// Progress task codes of the format operation.
enum BvFormatTask : int {
    kBvTaskFormatBoot = 29,
    kBvTaskMbr = 30,
    kBvTaskZeroSectors = 31,
    kBvTaskImageSector = 32,
    kBvTaskFat = 33,  // indexed by the FAT's number
    kBvTaskRootDir = 44,
};

// The disk must carry status 0. Returns the sink's first failure, or ERR_NO_MEMORY when a
// chunk buffer cannot be had.
int32_t BvWriteFatLayout(const CBvDisk& disk, CBvSectorSink& sink, BvLeftoverWrite leftover);
