#pragma once
// Vendor commands that read and replace the player's logical media table.
#include <cstdint>
#include <string>

#include "commands/logical_media_table.h"
#include "commands/scsi_command.h"

// Reads the table; the answer is parsed as it arrives, so a table the answer cannot hold
// fails the send. The system always asks for kBvMaxLogicalDrives entries.
class CBvGetLogicalTable : public CBvScsiCommand {
public:
    explicit CBvGetLogicalTable(uint8_t maxEntries, std::string objectName = "CBvGetLogicalTable");
    void BuildCdb() override;
    // Keeps the answer, then parses it: -2 or -3 when the count claims entries the answer
    // does not fully hold, -2 for entries beyond what the table has room for.
    int32_t StoreResponse(const CBvByteArray& received) override;
    int32_t GetTable(BvLogicalMediaTable& table) const;

private:
    uint8_t m_maxEntries;
    BvLogicalMediaTable m_table;
};

// Has the player divide its medium as the table says.
class CBvAllocateLogicalMedia : public CBvScsiCommand {
public:
    // A table claiming more than kBvMaxLogicalDrives entries is refused with -2.
    explicit CBvAllocateLogicalMedia(const BvLogicalMediaTable& table,
                                     std::string objectName = "CBvAllocateLogicalMedia");
    // Also lays the entries out behind the CDB.
    void BuildCdb() override;
    bool IsDataOut() const override { return true; }

private:
    BvLogicalMediaTable m_table;  // a copy: a temporary table must not dangle
};
