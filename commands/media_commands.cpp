#include "commands/media_commands.h"

#include "commands/vendor_cdb.h"

namespace {

constexpr uint32_t kChipRevIdLength = 2;

// Answer length of a media information type; false for the types the player does not serve.
bool MediaInfoLength(uint32_t type, uint32_t callerLength, uint32_t& length) {
    switch (type) {
        case 0: length = 2; return true;
        case 1: length = 8; return true;
        case 5: length = 1; return true;
        case 6: length = 4; return true;
        case 7: length = 2; return true;
        case 8: length = callerLength; return true;
        case 9: length = 1; return true;
        default: return false;
    }
}

}  // namespace

CBvGetChipMajorRevId::CBvGetChipMajorRevId(std::string objectName)
    : CBvScsiCommand(kBvVendorCdbLength, 0, std::move(objectName)) {
    SetResponseLength(kChipRevIdLength);
}

void CBvGetChipMajorRevId::BuildCdb() {
    BvWriteVendorOpcode(CommandBytes(), kBvVendorRead, kBvFnGetChipMajorRevId);
}

int32_t CBvGetChipMajorRevId::GetValue(uint16_t& id) const {
    const CBvByteArray* response = GetResponse();
    return response ? response->GetU16(0, id) : ERR_SHORT_BUFFER;
}

CBvGetLogicalMediaInfo::CBvGetLogicalMediaInfo(uint32_t type, uint32_t length, std::string objectName)
    : CBvScsiCommand(kBvVendorCdbLength, 0, std::move(objectName)), m_type(type) {
    uint32_t responseLength = 0;
    if (!MediaInfoLength(type, length, responseLength)) {
        SetStatus(ERR_BAD_MEDIA_INFO_TYPE);
        return;
    }
    SetResponseLength(responseLength);
}

void CBvGetLogicalMediaInfo::BuildCdb() {
    CBvByteArray& bytes = CommandBytes();
    BvWriteVendorOpcode(bytes, kBvVendorRead, kBvFnGetLogicalMediaInfo);
    bytes.SetAt(2, static_cast<uint8_t>(m_type));
}

int32_t CBvGetLogicalMediaInfo::GetFlag(bool& flag) const {
    if (m_type != kBvMediaInfoPlayerFlag) return ERR_BAD_MEDIA_INFO_TYPE;
    const CBvByteArray* response = GetResponse();
    return response ? response->GetBool(0, flag) : ERR_SHORT_BUFFER;
}

CBvEraseLogicalMedia::CBvEraseLogicalMedia(std::string objectName)
    : CBvScsiCommand(kBvVendorCdbLength, 0, std::move(objectName)) {}

void CBvEraseLogicalMedia::BuildCdb() {
    BvWriteVendorOpcode(CommandBytes(), kBvVendorChange, kBvFnEraseLogicalMedia);
}

CBvChipReset::CBvChipReset(std::string objectName) : CBvScsiCommand(kBvVendorCdbLength, 0, std::move(objectName)) {}

void CBvChipReset::BuildCdb() { BvWriteVendorOpcode(CommandBytes(), kBvVendorChange, kBvFnChipReset); }

CBvEraseLogicalDrive::CBvEraseLogicalDrive(uint8_t drive, std::string objectName)
    : CBvScsiCommand(kBvVendorCdbLength, 0, std::move(objectName)), m_drive(drive) {}

void CBvEraseLogicalDrive::BuildCdb() {
    CBvByteArray& bytes = CommandBytes();
    BvWriteVendorOpcode(bytes, kBvVendorChange, kBvFnEraseLogicalDrive);
    bytes.SetAt(2, m_drive);
}
