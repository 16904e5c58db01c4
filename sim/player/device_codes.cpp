#include "sim/player/device_codes.h"

namespace sim {
namespace devcode {

const char* DeviceCodeMeaning(uint16_t code) {
    switch (code) {
    case kUnknownFunction: return "unknown vendor command";
    case kBadParameter: return "invalid parameter in the command block";
    case kDataLength: return "data length does not match the command";
    case kTableUnreadable: return "logical media table cannot be read";
    case kUnknownDriveType: return "allocation table names an unknown drive type";
    case kTableTooLarge: return "allocation table does not fit the medium";
    case kTwoDataDrives: return "allocation table holds more than one data drive";
    case kEntryCount: return "allocation table holds no entries or more than 10 entries";
    case kNoSuchDrive: return "no logical drive with this drive number";
    case kSectorRange: return "sector address beyond the end of the logical drive";
    case kWrongDriveKind: return "operation not allowed on this kind of drive";
    case kFlashWrite: return "writing to flash memory failed";
    case kFlashErase: return "erasing flash memory failed";
    case kFlashRead: return "reading flash memory failed";
    case kNoMedium: return "no storage medium";
    case kRecoveryImage: return "recovery image is empty or incomplete";
    default: return nullptr;
    }
}

}  // namespace devcode
}  // namespace sim
