#pragma once
// CBvScsi_9x: the transport of the Windows 95 family. Volume requests go to VWIN32 as DOS
// IOCTL requests (INT 21h, 440Dh); SCSI commands, sector I/O included, go through the ASPI
// manager "WNASPI32.DLL", loaded at construction.
#include <cstdint>
#include <string>

#include "device/scsi_device.h"
#include "platform/aspi.h"

class CBvScsi_9x : public CBvScsiDevice {
public:
    static constexpr uint8_t kNoHostAdapter = 0xFF;
    static constexpr uint32_t kDriveMapInfoSize = 16;
    using DriveMapInfo = uint8_t[kDriveMapInfoSize];

    // Loads ASPI; the status is -19 without the library, -20 without either entry point and
    // -21 when ASPI reports that it is not ready. The creator reads it at once.
    explicit CBvScsi_9x(CBvUpdater* engine, std::string objectName = "CBvScsi_9x");
    ~CBvScsi_9x() override;

    int32_t Open() override;
    int32_t Lock(bool physical) override;
    int32_t LockForFormat(bool physical) override;
    int32_t Release(bool physical) override;
    int32_t Unlock(bool physical) override;
    int32_t Close() override;
    int32_t Dismount() override;
    int32_t GetGeometry(BvDiskGeometry& geometry) override;
    // The lowest host adapter whose disk carries the identity and the media flag; its drive
    // letter comes from the BIOS drive number or, failing that, from the registry.
    int32_t FindPlayer() override;
    int32_t Execute(const CBvByteArray& commandBytes, uint8_t cdbLength, bool dataOut,
                    CBvByteArray& response) override;

    int32_t QueryHostAdapterCount(uint8_t& count);
    // unit: the BIOS (INT 13h) drive number of target 0, LUN 0 of the host adapter; 0xFF if none.
    int32_t QueryBiosDriveNumber(uint8_t hostAdapter, uint8_t& unit);
    // VWIN32's drive map information of a letter; the VWIN32 device must be open.
    int32_t GetDriveMapInfo(wchar_t letter, DriveMapInfo& info);
    int32_t FindLetterByBiosDrive(uint8_t unit, wchar_t& letter);
    // The removable drive letters the SCSI enumerator gave the device (LUN 0) in the registry.
    int32_t FindRegistryDriveLetters(const std::string& deviceId, std::wstring& candidates);
    // One candidate is taken as it is; among several only one that VWIN32 reports as a
    // protected-mode drive without a BIOS drive number.
    int32_t ChooseDriveLetter(const std::wstring& candidates, wchar_t& letter);

    uint8_t GetHostAdapter() const { return m_hostAdapter; }
    int32_t IsPlayerFound() const { return m_playerFound; }

private:
    bool AspiUsable() const { return m_supportInfo && m_sendCommand; }
    // One DOS IOCTL (440Dh) request on the drive; done when the call succeeds with carry clear.
    bool DosIoctl(uint32_t drive, uint32_t edx, uint16_t cx, uint32_t flags = 0);
    // Tried with the FAT32-aware category 48h first, then with 08h.
    bool DosIoctlEitherCategory(uint32_t drive, uint32_t edx, uint8_t minor);
    int32_t VolumeRequest(uint32_t permissions, uint8_t minor, int32_t failure);
    uint32_t DriveNumber() const { return static_cast<uint32_t>(GetDriveLetter()) - 0x40; }
    // The 25-character id under which the SCSI enumerator keeps the device: vendor, product,
    // revision byte, blanks as '_'.
    static std::string DeviceId(const std::string& vendor, const std::string& product, uint8_t revision);

    int32_t m_playerFound = 0;
    uint8_t m_hostAdapter = kNoHostAdapter;
    platform::Handle m_aspiModule = platform::kNullHandle;
    platform::AspiSupportInfoFn m_supportInfo = nullptr;
    platform::AspiSendCommandFn m_sendCommand = nullptr;
};
