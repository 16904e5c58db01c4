#pragma once
// The device error codes this player raises (sense key 9, code in sense bytes 12-13).
#include <cstdint>

namespace sim {
namespace devcode {

constexpr uint16_t kUnknownFunction = 0x0101;   // vendor function not supported
constexpr uint16_t kBadParameter = 0x0102;      // invalid field in the command block
constexpr uint16_t kDataLength = 0x0103;        // data length does not match the command
constexpr uint16_t kTableUnreadable = 0x0201;   // medium erased or never allocated, or damaged
constexpr uint16_t kUnknownDriveType = 0x0202;
constexpr uint16_t kTableTooLarge = 0x0203;     // allocation does not fit the medium
constexpr uint16_t kTwoDataDrives = 0x0204;
constexpr uint16_t kEntryCount = 0x0205;        // no entries or more than 10
constexpr uint16_t kNoSuchDrive = 0x0401;
constexpr uint16_t kSectorRange = 0x0402;
constexpr uint16_t kWrongDriveKind = 0x0403;    // e.g. versions of the data drive
constexpr uint16_t kFlashWrite = 0x0501;
constexpr uint16_t kFlashErase = 0x0502;
constexpr uint16_t kFlashRead = 0x0503;
constexpr uint16_t kNoMedium = 0x0601;
constexpr uint16_t kRecoveryImage = 0x0851;     // recovery image empty or incomplete

// What a code raised by this player means, for traces and tools; null for other codes.
const char* DeviceCodeMeaning(uint16_t code);

}  // namespace devcode
}  // namespace sim
