#pragma once
// Byte helpers of the emulated player: big-endian for the wire, little-endian for its image file.
#include <cstdint>

namespace sim {

inline uint16_t LoadBe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t LoadBe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}
inline uint64_t LoadBe64(const uint8_t* p) {
    return static_cast<uint64_t>(LoadBe32(p)) << 32 | LoadBe32(p + 4);
}
inline void StoreBe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
inline void StoreBe32(uint8_t* p, uint32_t v) {
    StoreBe16(p, static_cast<uint16_t>(v >> 16));
    StoreBe16(p + 2, static_cast<uint16_t>(v));
}
inline void StoreBe64(uint8_t* p, uint64_t v) {
    StoreBe32(p, static_cast<uint32_t>(v >> 32));
    StoreBe32(p + 4, static_cast<uint32_t>(v));
}

inline uint64_t LoadLe(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}
inline void StoreLe(uint8_t* p, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace sim
