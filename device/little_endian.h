#pragma once
// Little-endian fields of the platform structures the transports build byte by byte, so that
// the bytes are the same whatever the compiler and its packing.
#include <cstdint>

inline void BvPutLe16(uint8_t* p, uint16_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}
inline void BvPutLe32(uint8_t* p, uint32_t value) {
    BvPutLe16(p, static_cast<uint16_t>(value));
    BvPutLe16(p + 2, static_cast<uint16_t>(value >> 16));
}
inline void BvPutLe64(uint8_t* p, uint64_t value) {
    BvPutLe32(p, static_cast<uint32_t>(value));
    BvPutLe32(p + 4, static_cast<uint32_t>(value >> 32));
}
// A pointer-sized field: 4 or 8 bytes.
inline void BvPutLeWord(uint8_t* p, uint32_t width, uint64_t value) {
    if (width == 8) {
        BvPutLe64(p, value);
    } else {
        BvPutLe32(p, static_cast<uint32_t>(value));
    }
}

inline uint16_t BvGetLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t BvGetLe32(const uint8_t* p) {
    return uint32_t{BvGetLe16(p)} | uint32_t{BvGetLe16(p + 2)} << 16;
}
inline uint64_t BvGetLe64(const uint8_t* p) { return uint64_t{BvGetLe32(p)} | uint64_t{BvGetLe32(p + 4)} << 32; }
