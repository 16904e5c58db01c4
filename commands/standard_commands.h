#pragma once
// The standard SCSI commands the updater sends: INQUIRY, READ CAPACITY(10), READ(10), WRITE(10).
#include <cstdint>
#include <string>

#include "commands/scsi_command.h"

constexpr uint32_t kBvInquiryLength = 96;

class CBvScsiInquiry : public CBvScsiCommand {
public:
    explicit CBvScsiInquiry(std::string objectName = "CBvScsiInquiry");
    void BuildCdb() override;
    // The whole answer; the player search reads vendor (8-15), product (16-31) and revision (32).
    int32_t GetInquiryData(uint8_t (&buffer)[kBvInquiryLength]) const;
};

class CBvReadCapacity : public CBvScsiCommand {
public:
    explicit CBvReadCapacity(std::string objectName = "CBvReadCapacity");
    void BuildCdb() override;
    // values[0]: address of the last logical block; values[1]: block length in bytes.
    int32_t GetCapacity(uint32_t (&values)[2]) const;
};

// READ(10) and WRITE(10) address 32-bit sectors and send only the low 16 bits of the count;
// the data length uses the full count.
class CBvRead : public CBvScsiCommand {
public:
    CBvRead(uint32_t firstSector, uint32_t count, uint32_t sectorSize, std::string objectName = "CBvRead");
    void BuildCdb() override;
    // Copies the answer for every index below the sizes of both arrays.
    int32_t GetData(CBvByteArray& target) const;

private:
    uint32_t m_count;
    uint32_t m_firstSector;
};

class CBvWrite : public CBvScsiCommand {
public:
    CBvWrite(uint32_t firstSector, uint32_t count, uint32_t sectorSize, std::string objectName = "CBvWrite");
    void BuildCdb() override;
    bool IsDataOut() const override { return true; }
    // -10 when the data exceed count × sectorSize; shorter data go out padded with zeros.
    int32_t SetData(const CBvByteArray& source);

private:
    uint32_t m_count;
    uint32_t m_firstSector;
};
