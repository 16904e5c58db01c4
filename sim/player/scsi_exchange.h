#pragma once
// One SCSI command as it crosses the bus between a host adapter and the player, in the shape a
// pass-through request or an ASPI request block has: the CDB, one data phase in one direction
// with the host's transfer length, and the outcome.
#include <cstdint>

namespace sim {

enum class DataDirection : uint8_t {
    None,  // no data phase; the transfer length is ignored
    In,    // device to host: the player writes at most transferLength bytes to dataIn
    Out,   // host to device: the player reads exactly transferLength bytes from dataOut
};

struct ScsiRequest {
    const uint8_t* cdb = nullptr;
    uint32_t cdbLength = 0;              // 6, 10, 12 or 16; shorter than the command needs is refused
    DataDirection direction = DataDirection::None;
    const uint8_t* dataOut = nullptr;    // used when direction is Out
    uint8_t* dataIn = nullptr;           // used when direction is In
    uint32_t transferLength = 0;         // the host's data length for the one data phase
};

enum class ScsiOutcome : uint8_t {
    Good,            // status GOOD; dataInBytes tells how many bytes went to dataIn
    CheckCondition,  // status CHECK CONDITION; sense holds 18 bytes of fixed-format sense data
    DeviceGone,      // the player is not on the bus as a disk (reset, booting, unplugged,
                     // in recovery mode, or it left during this command): a transport failure
};

constexpr uint32_t kSenseLength = 18;

struct ScsiResult {
    ScsiOutcome outcome = ScsiOutcome::Good;
    uint32_t dataInBytes = 0;         // bytes written to dataIn (0 unless Good); the rest of the
                                      // host buffer is left untouched
    uint8_t sense[kSenseLength] = {}; // fixed format (0x70): key in byte 2, ASC/ASCQ in 12-13
    uint32_t durationMs = 0;          // how long the command kept the player busy (fault plan
                                      // delays); the owner advances its clock by this much, and
                                      // may treat a duration above its time-out as a time-out

    uint8_t SenseKey() const { return sense[2] & 0x0F; }
    // ASC and ASCQ as one number; for vendor errors (sense key 9) it is the device code.
    uint16_t SenseCode() const { return static_cast<uint16_t>(sense[12] << 8 | sense[13]); }
};

}  // namespace sim
