#pragma once
// The player's SCSI command interpreter: decodes one CDB, checks it against the medium and the
// host's data phase, and answers as the player's firmware does.
#include <cstdint>

#include "sim/player/medium.h"
#include "sim/player/player.h"
#include "sim/player/scsi_exchange.h"

namespace sim {

namespace opcode {
constexpr uint8_t kTestUnitReady = 0x00;
constexpr uint8_t kInquiry = 0x12;
constexpr uint8_t kReadCapacity10 = 0x25;
constexpr uint8_t kRead10 = 0x28;
constexpr uint8_t kWrite10 = 0x2A;
constexpr uint8_t kVendorIn = 0xC0;
constexpr uint8_t kVendorOut = 0xC1;
}  // namespace opcode

namespace vendorfn {
constexpr uint8_t kMediaInfo = 0x02;
constexpr uint8_t kLogicalTable = 0x05;
constexpr uint8_t kAllocate = 0x06;
constexpr uint8_t kEraseMedium = 0x07;
constexpr uint8_t kDriveInfo = 0x12;
constexpr uint8_t kReadSectors = 0x13;
constexpr uint8_t kSetDriveInfo = 0x20;
constexpr uint8_t kWriteSectors = 0x23;
constexpr uint8_t kEraseDrive = 0x2F;
constexpr uint8_t kChipRevision = 0x30;
constexpr uint8_t kChipReset = 0x31;
}  // namespace vendorfn

constexpr uint32_t kInquiryLength = 96;
constexpr uint32_t kVendorCdbLength = 16;

// What the player around the interpreter supplies, and what the command did to the bus.
struct CommandEnvironment {
    PlayerIdentity identity;            // as reported (the fault plan may have changed it)
    bool mediaFlagClear = false;        // the medium counts as absent
    uint64_t writeBudget = UINT64_MAX;  // data-out bytes taken before the player leaves the bus
    bool leftBus = false;               // out: the budget ran out during this command
    bool chipReset = false;             // out: a chip reset was accepted
};

// Whether a vendor command carries a drive number in CDB byte 2.
bool CarriesDriveNumber(uint8_t op, uint8_t fn);

void BuildInquiryData(const PlayerIdentity& identity, uint8_t out[kInquiryLength]);

ScsiResult RunCommand(Medium& medium, const ScsiRequest& request, CommandEnvironment& env);

}  // namespace sim
