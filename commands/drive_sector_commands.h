#pragma once
// Vendor commands that read and write sectors of one logical drive. The first sector is
// 64-bit on the wire, so drives beyond 4 GiB are addressed without wrapping.
#include <cstdint>
#include <string>

#include "commands/scsi_command.h"

class CBvReadLogicalDriveSector : public CBvScsiCommand {
public:
    CBvReadLogicalDriveSector(uint8_t drive, uint32_t sectorSize, uint64_t firstSector, uint32_t count,
                              std::string objectName = "CBvReadLogicalDriveSector");
    void BuildCdb() override;
    // The command's status if it failed; otherwise copies the answer for every index below
    // the sizes of both arrays.
    int32_t GetData(CBvByteArray& target) const;

private:
    uint64_t m_firstSector;
    uint32_t m_count;
    uint8_t m_drive;
};

class CBvWriteLogicalDriveSector : public CBvScsiCommand {
public:
    CBvWriteLogicalDriveSector(uint8_t drive, uint32_t sectorSize, uint64_t firstSector, uint32_t count,
                               std::string objectName = "CBvWriteLogicalDriveSector");
    void BuildCdb() override;
    bool IsDataOut() const override { return true; }
    // -10 when the data exceed sectorSize × count; shorter data go out padded with zeros.
    int32_t SetData(const CBvByteArray& source);

private:
    uint32_t m_count;
    uint64_t m_firstSector;
    uint8_t m_drive;
};
