#include "commands/drive_sector_commands.h"

#include "commands/vendor_cdb.h"

namespace {

void WriteDriveSectorCdb(CBvByteArray& bytes, uint8_t opcode, BvVendorFunction function, uint8_t drive,
                         uint64_t firstSector, uint32_t count) {
    BvWriteVendorOpcode(bytes, opcode, function);
    bytes.SetAt(2, drive);
    bytes.SetU64(3, firstSector);
    bytes.SetU32(11, count);
}

}  // namespace

CBvReadLogicalDriveSector::CBvReadLogicalDriveSector(uint8_t drive, uint32_t sectorSize, uint64_t firstSector,
                                                     uint32_t count, std::string objectName)
    : CBvScsiCommand(kBvVendorCdbLength, 0, std::move(objectName)),
      m_firstSector(firstSector),
      m_count(count),
      m_drive(drive) {
    SetResponseLength(BvSectorBytes(count, sectorSize));
}

void CBvReadLogicalDriveSector::BuildCdb() {
    WriteDriveSectorCdb(CommandBytes(), kBvVendorRead, kBvFnReadLogicalDriveSector, m_drive, m_firstSector,
                        m_count);
}

int32_t CBvReadLogicalDriveSector::GetData(CBvByteArray& target) const {
    if (GetStatus() != ERR_OK) return GetStatus();
    CopyResponseTo(target);
    return ERR_OK;
}

CBvWriteLogicalDriveSector::CBvWriteLogicalDriveSector(uint8_t drive, uint32_t sectorSize, uint64_t firstSector,
                                                       uint32_t count, std::string objectName)
    : CBvScsiCommand(kBvVendorCdbLength, BvSectorBytes(count, sectorSize), std::move(objectName)),
      m_count(count),
      m_firstSector(firstSector),
      m_drive(drive) {}

void CBvWriteLogicalDriveSector::BuildCdb() {
    WriteDriveSectorCdb(CommandBytes(), kBvVendorChange, kBvFnWriteLogicalDriveSector, m_drive, m_firstSector,
                        m_count);
}

int32_t CBvWriteLogicalDriveSector::SetData(const CBvByteArray& source) { return SetDataBehindCdb(source); }
