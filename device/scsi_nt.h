#pragma once
// CBvScsi_Nt: the transport of the Windows version 5 systems. Volume requests and sector I/O
// go to the volume "\\.\X:" (or to the physical drive after FindPhysicalDrive); SCSI commands
// go to the same handle as buffered pass-through requests, each issued on a worker thread of
// its own while the calling thread keeps the window alive.
#include <cstdint>
#include <string>

#include "device/scsi_device.h"

class CBvScsi_Nt : public CBvScsiDevice {
public:
    explicit CBvScsi_Nt(CBvUpdater* engine, std::string objectName = "CBvScsi_Nt");

    int32_t Open() override;
    // The volume requests ignore `physical`; each is tried ten times, 100 ms apart.
    int32_t Lock(bool physical) override;
    int32_t LockForFormat(bool physical) override;
    int32_t Release(bool physical) override;
    int32_t Unlock(bool physical) override;
    int32_t Close() override;
    int32_t Dismount() override;
    int32_t WriteSectors(const CBvByteArray& data, uint32_t count, uint32_t firstSector, uint32_t sectorSize) override;
    int32_t ReadSectors(CBvByteArray& data, uint32_t count, uint32_t firstSector, uint32_t sectorSize) override;
    int32_t WritePartitionTable(const BvDiskGeometry& geometry, uint32_t hiddenSectors) override;
    int32_t GetGeometry(BvDiskGeometry& geometry) override;
    int32_t GetPartitionTable(CBvByteArray& layout) override;
    // Leaves the handle open on the first physical drive (0 to 99) that carries the identity.
    int32_t FindPhysicalDrive() override;
    // The lowest removable drive letter from B on that carries the identity and the media flag.
    int32_t FindPlayer() override;
    int32_t Execute(const CBvByteArray& commandBytes, uint8_t cdbLength, bool dataOut,
                    CBvByteArray& response) override;

    // The letters of all present logical drives, in alphabetical order.
    std::wstring ListLogicalDrives() const;

private:
    // The volume device of a drive letter.
    static std::wstring VolumeName(wchar_t letter);
    // Opens `name` for reading and writing, sharing both; false (and no handle) on failure.
    bool OpenDevice(const std::wstring& name);
    int32_t VolumeRequest(uint32_t code, int32_t failure);
    // Positions the handle for count × sectorSize bytes at firstSector (a 64-bit byte offset)
    // and gives that size; reports `failure` when it cannot.
    int32_t SeekSectors(uint32_t count, uint32_t firstSector, uint32_t sectorSize, int32_t failure, uint32_t& size);
    // The worker thread of one pass-through request.
    static uint32_t PassThroughWorker(void* device);
    void RunPassThrough();

    uint8_t* m_currentBlock = nullptr;  // the block of the command in flight
};
