#pragma once
// CRC-32 (the zlib polynomial) that guards the player's image file against damage.
#include <cstddef>
#include <cstdint>

namespace sim {

// Continues a CRC: start with 0, feed the pieces in order.
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t length);

}  // namespace sim
