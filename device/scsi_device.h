#pragma once
// CBvScsiDevice: the one interface through which the updater reaches the player while it
// works as a USB mass-storage disk. The transports derive from it and supply Execute, the
// volume operations and the player search; sending commands is common to all of them.
#include <cstdint>
#include <memory>
#include <string>

#include "app/base.h"
#include "device/disk_geometry.h"
#include "firmware/byte_array.h"
#include "platform/types.h"

class CBvScsiCommand;
class CBvUpdater;

// Size of the drive layout GetPartitionTable delivers.
constexpr uint32_t kBvDriveLayoutLength = 168;

class CBvScsiDevice : public CBvBase {
public:
    // The engine owns the device and gives it the configuration, progress sink, language
    // module and error record. Destruction closes the device handle if one is open.
    CBvScsiDevice(CBvUpdater* engine, std::string objectName);
    ~CBvScsiDevice() override;

    CBvScsiDevice(const CBvScsiDevice&) = delete;
    CBvScsiDevice& operator=(const CBvScsiDevice&) = delete;

    // Opens the device handle unless it is open already (then 0 at once).
    virtual int32_t Open() = 0;
    // `physical`: the whole physical volume rather than the logical one (where it matters).
    virtual int32_t Lock(bool physical) = 0;
    virtual int32_t LockForFormat(bool physical) = 0;
    virtual int32_t Release(bool physical) = 0;
    virtual int32_t Unlock(bool physical) = 0;
    virtual int32_t Close() = 0;
    virtual int32_t Dismount() = 0;
    // SCSI WRITE(10) / READ(10) of count × sectorSize bytes; data holds at least that many.
    virtual int32_t WriteSectors(const CBvByteArray& data, uint32_t count, uint32_t firstSector,
                                 uint32_t sectorSize);
    virtual int32_t ReadSectors(CBvByteArray& data, uint32_t count, uint32_t firstSector, uint32_t sectorSize);
    // Only a transport that addresses the whole disk rewrites or reads the partition table.
    virtual int32_t WritePartitionTable(const BvDiskGeometry& geometry, uint32_t hiddenSectors);
    virtual int32_t GetGeometry(BvDiskGeometry& geometry) = 0;
    // Fills `layout` (kBvDriveLayoutLength bytes) with the platform's drive layout.
    virtual int32_t GetPartitionTable(CBvByteArray& layout);
    virtual int32_t FindPhysicalDrive();
    // Looks for the player among the drives and sets the drive letter.
    virtual int32_t FindPlayer() = 0;
    // Builds the CDB, hands it to Execute with a zero-filled answer of the command's response
    // length and gives the answer back to the command (not for data-out commands). Returns
    // the transport's status, else the command's StoreResponse status. A command whose
    // construction failed is not sent: its status comes back.
    virtual int32_t SendCommand(CBvScsiCommand& command);
    // Moves one CDB (the first cdbLength bytes of commandBytes) and the data behind it to the
    // device, and the answer back into `response`, whose size is what the caller wants.
    virtual int32_t Execute(const CBvByteArray& commandBytes, uint8_t cdbLength, bool dataOut,
                            CBvByteArray& response) = 0;

    // Keeps the sense bytes of a failed command (count taken modulo 256), replacing the last ones.
    void RecordSense(const uint8_t* bytes, uint32_t count);
    // Null until a command has failed with sense data.
    const CBvByteArray* GetLastSense() const { return m_lastSense.get(); }
    // True for sense key 9 (vendor specific, no flag bits): `code` is then the player's 16-bit
    // device error code from sense bytes 12 (high) and 13 (low).
    bool GetVendorErrorCode(uint16_t& code) const;
    // A readable text of the last sense: the player's message for a device error code (with
    // the bytes appended when the language module has no text for the code), else the bytes
    // as "0x70, 0x0, 0x9, ...". Empty without sense data.
    std::wstring SenseText() const;

    CBvUpdater* GetEngine() const { return m_engine; }
    wchar_t GetDriveLetter() const { return m_driveLetter; }
    bool IsOpen() const { return m_handle != platform::kInvalidHandle; }

protected:
    void SetDriveLetter(wchar_t driveLetter) { m_driveLetter = driveLetter; }
    platform::Handle DeviceHandle() const { return m_handle; }
    void SetDeviceHandle(platform::Handle handle) { m_handle = handle; }

    // A failure the engine's error record keeps with this device's name and system error;
    // status and system error are cleared again afterwards. Returns `status`.
    int32_t ReportFailure(int32_t status);
    // The same with the system's last-error value as the system error.
    int32_t ReportSystemFailure(int32_t status);
    // A SCSI command that failed with sense data: keeps the sense, records its text as the
    // failure's detail, clears status and system error and returns ERR_SCSI_COMMAND.
    int32_t ReportSenseFailure(const uint8_t* sense, uint32_t count);
    // L: the larger of the data to send (behind the CDB) and the answer wanted; one buffer of
    // this size serves both directions.
    static uint32_t TransferLength(const CBvByteArray& commandBytes, uint8_t cdbLength, const CBvByteArray& response);
    // Lets the window process its messages while a command is in flight.
    void PumpProgress() const;

private:
    wchar_t m_driveLetter = 0;  // 0 until the player search finds the player
    // Closed: the invalid handle. NT: the volume, or the physical drive after
    // FindPhysicalDrive; Windows 95 family: VWIN32.
    platform::Handle m_handle = platform::kInvalidHandle;
    std::unique_ptr<CBvByteArray> m_lastSense;
    CBvUpdater* m_engine;
};
