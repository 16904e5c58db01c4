#include "commands/drive_info_commands.h"

#include "commands/vendor_cdb.h"

namespace {

constexpr uint32_t kLastDriveInfoType = 11;  // its answer length is the caller's

uint32_t DriveInfoLength(uint32_t type, uint32_t callerLength) {
    switch (type) {
        case 2:
        case 4: return 8;
        case 6:
        case 9: return 1;
        case 7:
        case 8: return kBvDriveInfoVersionLength;
        case 10: return 2;
        case kLastDriveInfoType: return callerLength;
        default: return 4;  // 0, 1, 3, 5
    }
}

void WriteDriveInfoCdb(CBvByteArray& bytes, uint8_t opcode, BvVendorFunction function, uint8_t drive,
                       uint32_t type) {
    BvWriteVendorOpcode(bytes, opcode, function);
    bytes.SetAt(2, drive);
    bytes.SetAt(3, static_cast<uint8_t>(type));
}

}  // namespace

CBvGetLogicalDriveInfo::CBvGetLogicalDriveInfo(uint8_t drive, uint32_t type, uint32_t length, std::string objectName)
    : CBvScsiCommand(kBvVendorCdbLength, 0, std::move(objectName)), m_drive(drive), m_type(type) {
    if (type > kLastDriveInfoType) {
        SetStatus(ERR_BAD_SELECTOR);
        return;
    }
    SetResponseLength(DriveInfoLength(type, length));
}

void CBvGetLogicalDriveInfo::BuildCdb() {
    WriteDriveInfoCdb(CommandBytes(), kBvVendorRead, kBvFnGetLogicalDriveInfo, m_drive, m_type);
}

int32_t CBvGetLogicalDriveInfo::GetValue(uint32_t& value) const {
    if (m_type != kBvDriveInfoSectorSize) return ERR_BAD_MEDIA_INFO_TYPE;
    const CBvByteArray* response = GetResponse();
    return response ? response->GetU32(0, value) : ERR_SHORT_BUFFER;
}

int32_t CBvGetLogicalDriveInfo::GetComponentVersion(CBvVersionInfo& version) const {
    return GetVersion(kBvDriveInfoComponentVersion, version);
}

int32_t CBvGetLogicalDriveInfo::GetProductVersion(CBvVersionInfo& version) const {
    return GetVersion(kBvDriveInfoProductVersion, version);
}

int32_t CBvGetLogicalDriveInfo::GetVersion(uint32_t servedType, CBvVersionInfo& version) const {
    if (m_type != servedType) return ERR_BAD_MEDIA_INFO_TYPE;
    const CBvByteArray* response = GetResponse();
    if (!response) return ERR_SHORT_BUFFER;
    uint16_t major = 0, minor = 0, revision = 0;
    int32_t status = response->GetU16(0, major);
    if (status == ERR_OK) status = response->GetU16(2, minor);
    if (status == ERR_OK) status = response->GetU16(4, revision);
    if (status != ERR_OK) return status;
    version.SetMajor(major);
    version.SetMinor(minor);
    version.SetRevision(revision);
    return ERR_OK;
}

CBvSetLogicalDriveInfo::CBvSetLogicalDriveInfo(uint8_t drive, uint32_t type, std::string objectName)
    : CBvScsiCommand(kBvVendorCdbLength, 0, std::move(objectName)), m_drive(drive), m_type(type) {}

void CBvSetLogicalDriveInfo::BuildCdb() {
    WriteDriveInfoCdb(CommandBytes(), kBvVendorChange, kBvFnSetLogicalDriveInfo, m_drive, m_type);
}

int32_t CBvSetLogicalDriveInfo::SetVersion(const CBvVersionInfo& version) {
    BuildCdb();
    CBvByteArray& bytes = CommandBytes();
    bytes.SetU16(4, version.GetMajor());
    bytes.SetU16(6, version.GetMinor());
    bytes.SetU16(8, version.GetRevision());
    return ERR_OK;
}
