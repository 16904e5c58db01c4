#pragma once
// CBvSectorSink: where the FAT layout goes. The formatter feeds the player's data drive
// through it (write, read back, compare); the disk-image writer feeds a file.
#include <cstdint>

class CBvByteArray;

class CBvSectorSink {
public:
    virtual ~CBvSectorSink() = default;

    // The progress tasks of the format operation, as the progress sink takes them.
    virtual void BeginTask(int code, int total) = 0;
    virtual void BeginIndexedTask(int kind, int total, int index) = 0;

    // Writes `count` sectors from `data` (count × sector size bytes) at `firstSector`,
    // counted from the current origin (the disk's sector 0 until EnterPartition).
    virtual int32_t WriteSectors(uint64_t firstSector, uint32_t count, const CBvByteArray& data) = 0;

    // From now on sector numbers count from the partition's first sector (the disk sector
    // `partitionStart`): the NT-family systems address the new volume itself from here.
    virtual int32_t EnterPartition(uint64_t partitionStart) = 0;
};
