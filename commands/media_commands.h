#pragma once
// Vendor commands that concern the chip and the medium as a whole, and the erase of one drive.
#include <cstdint>
#include <string>

#include "commands/scsi_command.h"

// Media information type 9: a flag that is nonzero on the player.
constexpr uint32_t kBvMediaInfoPlayerFlag = 9;

class CBvGetChipMajorRevId : public CBvScsiCommand {
public:
    explicit CBvGetChipMajorRevId(std::string objectName = "CBvGetChipMajorRevId");
    void BuildCdb() override;
    int32_t GetValue(uint16_t& id) const;
};

// Media information by type. Types 2, 3, 4 and above 9 are refused with -8 and nothing is
// expected back; `length` is the answer length of type 8 and ignored otherwise.
class CBvGetLogicalMediaInfo : public CBvScsiCommand {
public:
    CBvGetLogicalMediaInfo(uint32_t type, uint32_t length, std::string objectName = "CBvGetLogicalMediaInfo");
    void BuildCdb() override;
    // Type 9 only (else -8): whether answer byte 0 is nonzero; -3 on an empty answer.
    int32_t GetFlag(bool& flag) const;

private:
    uint32_t m_type;
};

class CBvEraseLogicalMedia : public CBvScsiCommand {
public:
    explicit CBvEraseLogicalMedia(std::string objectName = "CBvEraseLogicalMedia");
    void BuildCdb() override;
    bool IsDataOut() const override { return true; }
};

// The player leaves the bus after this and comes back.
class CBvChipReset : public CBvScsiCommand {
public:
    explicit CBvChipReset(std::string objectName = "CBvChipReset");
    void BuildCdb() override;
    bool IsDataOut() const override { return true; }
};

class CBvEraseLogicalDrive : public CBvScsiCommand {
public:
    explicit CBvEraseLogicalDrive(uint8_t drive, std::string objectName = "CBvEraseLogicalDrive");
    void BuildCdb() override;
    bool IsDataOut() const override { return true; }

private:
    uint8_t m_drive;
};
