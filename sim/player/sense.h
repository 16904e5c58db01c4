#pragma once
// Fixed-format sense data (response code 0x70) as the player reports a check condition.
#include <cstdint>

#include "sim/player/scsi_exchange.h"

namespace sim {

namespace sensekey {
constexpr uint8_t kNotReady = 0x02;
constexpr uint8_t kMediumError = 0x03;
constexpr uint8_t kIllegalRequest = 0x05;
constexpr uint8_t kVendorSpecific = 0x09;
}  // namespace sensekey

namespace asc {
constexpr uint8_t kWriteError = 0x0C;
constexpr uint8_t kUnrecoveredReadError = 0x11;
constexpr uint8_t kInvalidOpcode = 0x20;
constexpr uint8_t kLbaOutOfRange = 0x21;
constexpr uint8_t kInvalidFieldInCdb = 0x24;
constexpr uint8_t kMediumNotPresent = 0x3A;
}  // namespace asc

inline ScsiResult CheckCondition(uint8_t key, uint8_t ascValue, uint8_t ascq) {
    ScsiResult r;
    r.outcome = ScsiOutcome::CheckCondition;
    r.sense[0] = 0x70;                   // current error, fixed format
    r.sense[2] = key;
    r.sense[7] = kSenseLength - 8;       // additional sense length
    r.sense[12] = ascValue;
    r.sense[13] = ascq;
    return r;
}

inline ScsiResult VendorError(uint16_t deviceCode) {
    return CheckCondition(sensekey::kVendorSpecific, static_cast<uint8_t>(deviceCode >> 8),
                          static_cast<uint8_t>(deviceCode));
}

}  // namespace sim
