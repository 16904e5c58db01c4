#pragma once
// The player's vendor commands: 16-byte CDBs whose byte 0 says whether the command returns
// data or changes the player and whose byte 1 selects the function.
#include <cstdint>

#include "firmware/byte_array.h"

constexpr uint32_t kBvVendorCdbLength = 16;
constexpr uint8_t kBvVendorRead = 0xC0;
constexpr uint8_t kBvVendorChange = 0xC1;

enum BvVendorFunction : uint8_t {
    kBvFnGetLogicalMediaInfo = 0x02,
    kBvFnGetLogicalTable = 0x05,
    kBvFnAllocateLogicalMedia = 0x06,
    kBvFnEraseLogicalMedia = 0x07,
    kBvFnGetLogicalDriveInfo = 0x12,
    kBvFnReadLogicalDriveSector = 0x13,
    kBvFnSetLogicalDriveInfo = 0x20,
    kBvFnWriteLogicalDriveSector = 0x23,
    kBvFnEraseLogicalDrive = 0x2F,
    kBvFnGetChipMajorRevId = 0x30,
    kBvFnChipReset = 0x31,
};

inline void BvWriteVendorOpcode(CBvByteArray& commandBytes, uint8_t opcode, BvVendorFunction function) {
    commandBytes.SetAt(0, opcode);
    commandBytes.SetAt(1, function);
}
