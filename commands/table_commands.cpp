#include "commands/table_commands.h"

#include "commands/vendor_cdb.h"

namespace {

// On the wire: a big-endian 16-bit count, then 11 bytes per entry.
constexpr uint32_t kCountBytes = 2;
constexpr uint32_t kEntryBytes = 11;
// Allocation data: 10 bytes per entry (the player assigns the drive numbers itself),
// with as many zero bytes left at the end as there are entries.
constexpr uint32_t kAllocationEntryBytes = 10;
constexpr uint32_t kAllocationBytesPerEntry = 11;

// The single bytes report -2 and the size -3 when the answer ends inside the entry.
int32_t ReadEntry(const CBvByteArray& answer, uint32_t offset, BvLogicalMediaEntry& entry) {
    int32_t status = answer.GetAt(offset, entry.driveNumber);
    if (status == ERR_OK) status = answer.GetAt(offset + 1, entry.driveType);
    if (status == ERR_OK) status = answer.GetAt(offset + 2, entry.driveTag);
    if (status == ERR_OK) status = answer.GetU64(offset + 3, entry.sizeInBytes);
    return status;
}

uint32_t AllocationEntries(const BvLogicalMediaTable& table) {
    return table.count <= kBvMaxLogicalDrives ? table.count : 0;
}

}  // namespace

CBvGetLogicalTable::CBvGetLogicalTable(uint8_t maxEntries, std::string objectName)
    : CBvScsiCommand(kBvVendorCdbLength, 0, std::move(objectName)), m_maxEntries(maxEntries) {
    SetResponseLength(kCountBytes + kEntryBytes * uint32_t{maxEntries});
}

void CBvGetLogicalTable::BuildCdb() {
    CBvByteArray& bytes = CommandBytes();
    BvWriteVendorOpcode(bytes, kBvVendorRead, kBvFnGetLogicalTable);
    bytes.SetAt(2, m_maxEntries);
}

int32_t CBvGetLogicalTable::StoreResponse(const CBvByteArray& received) {
    int32_t status = CBvScsiCommand::StoreResponse(received);
    if (status != ERR_OK) return status;
    m_table = BvLogicalMediaTable();
    const CBvByteArray& answer = *GetResponse();
    uint16_t claimed = 0;
    status = answer.GetU16(0, claimed);
    // The count only ever covers the entries read, so a failed parse leaves a usable table.
    for (uint32_t i = 0; status == ERR_OK && i < claimed; ++i) {
        BvLogicalMediaEntry entry;
        status = ReadEntry(answer, kCountBytes + kEntryBytes * i, entry);
        if (status == ERR_OK && i >= kBvMaxLogicalDrives) status = ERR_INDEX_RANGE;
        if (status == ERR_OK) {
            m_table.entries[i] = entry;
            m_table.count = static_cast<uint16_t>(i + 1);
        }
    }
    return status;
}

int32_t CBvGetLogicalTable::GetTable(BvLogicalMediaTable& table) const {
    table = m_table;
    return ERR_OK;
}

CBvAllocateLogicalMedia::CBvAllocateLogicalMedia(const BvLogicalMediaTable& table, std::string objectName)
    : CBvScsiCommand(kBvVendorCdbLength, kAllocationBytesPerEntry * AllocationEntries(table), std::move(objectName)),
      m_table(table) {
    if (table.count > kBvMaxLogicalDrives) SetStatus(ERR_INDEX_RANGE);
}

void CBvAllocateLogicalMedia::BuildCdb() {
    CBvByteArray& bytes = CommandBytes();
    BvWriteVendorOpcode(bytes, kBvVendorChange, kBvFnAllocateLogicalMedia);
    uint32_t entries = GetDataOutLength() / kAllocationBytesPerEntry;
    bytes.SetAt(2, static_cast<uint8_t>(entries));
    for (uint32_t i = 0; i < entries; ++i) {
        const BvLogicalMediaEntry& entry = m_table.entries[i];
        uint32_t offset = GetCdbLength() + kAllocationEntryBytes * i;
        bytes.SetAt(offset, entry.driveType);
        bytes.SetAt(offset + 1, entry.driveTag);
        bytes.SetU64(offset + 2, entry.sizeInBytes);
    }
}
