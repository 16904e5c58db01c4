#pragma once
// Vendor commands that read and write the information a logical drive keeps about itself.
#include <cstdint>
#include <string>

#include "commands/scsi_command.h"
#include "firmware/version.h"

// The drive information types the system gives a meaning; the others only have lengths.
constexpr uint32_t kBvDriveInfoSectorSize = 0;        // 4 bytes: the drive's sector size
constexpr uint32_t kBvDriveInfoComponentVersion = 7;  // 48 bytes, the version in the first 6
constexpr uint32_t kBvDriveInfoProductVersion = 8;    // 48 bytes, the version in the first 6
constexpr uint32_t kBvDriveInfoVersionLength = 48;

// Types above 11 are refused with -9 and nothing is expected back; `length` is the answer
// length of type 11 and ignored otherwise.
class CBvGetLogicalDriveInfo : public CBvScsiCommand {
public:
    CBvGetLogicalDriveInfo(uint8_t drive, uint32_t type, uint32_t length,
                           std::string objectName = "CBvGetLogicalDriveInfo");
    void BuildCdb() override;
    // Type 0 only (else -8): the sector size.
    int32_t GetValue(uint32_t& value) const;
    // The version readers serve type 7 and type 8 respectively (else -8); the version is left
    // as it was when the answer is too short.
    int32_t GetComponentVersion(CBvVersionInfo& version) const;
    int32_t GetProductVersion(CBvVersionInfo& version) const;

private:
    int32_t GetVersion(uint32_t servedType, CBvVersionInfo& version) const;

    uint8_t m_drive;
    uint32_t m_type;
};

class CBvSetLogicalDriveInfo : public CBvScsiCommand {
public:
    CBvSetLogicalDriveInfo(uint8_t drive, uint32_t type, std::string objectName = "CBvSetLogicalDriveInfo");
    // Writes CDB bytes 0-3 only, so the version put in by SetVersion survives the send.
    void BuildCdb() override;
    bool IsDataOut() const override { return true; }
    // Call before SendCommand: the version goes in CDB bytes 4-9.
    int32_t SetVersion(const CBvVersionInfo& version);

private:
    uint8_t m_drive;
    uint32_t m_type;
};
