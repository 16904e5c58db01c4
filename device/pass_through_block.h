#pragma once
// The buffered SCSI pass-through request as one block: the platform's SCSI_PASS_THROUGH header,
// a block size word, a reserved word, an 18-byte sense buffer, the data buffer and a spare
// byte. The header is 44 bytes at 32 bits; at 64 bits its data buffer offset is pointer-sized,
// which makes it 56 bytes and moves everything behind it.
#include <cstdint>

#include "firmware/byte_array.h"

struct BvPassThroughLayout {
    uint32_t headerSize;          // also the Length field
    uint32_t dataOffsetField;     // DataBufferOffset
    uint32_t dataOffsetWidth;     // 4 or 8 bytes
    uint32_t senseOffsetField;    // SenseInfoOffset
    uint32_t cdbField;            // Cdb, 16 bytes
    uint32_t blockSizeField;      // L + fixed part: the length given to the request
    uint32_t senseOffset;         // sense buffer
    uint32_t dataOffset;          // data buffer of L bytes, then the spare byte
};

constexpr BvPassThroughLayout kBvPassThrough32 = {44, 20, 4, 24, 28, 44, 52, 70};
constexpr BvPassThroughLayout kBvPassThrough64 = {56, 24, 8, 32, 36, 56, 64, 82};
// The layout of the width this program is built for.
inline constexpr const BvPassThroughLayout& kBvPassThroughNative =
    sizeof(void*) == 8 ? kBvPassThrough64 : kBvPassThrough32;

// Fields the request gives back, at the same offsets at both widths.
constexpr uint32_t kBvPassThroughScsiStatus = 2;
constexpr uint32_t kBvPassThroughSenseLength = 7;
constexpr uint8_t kBvPassThroughSenseBufferSize = 18;
constexpr uint32_t kBvPassThroughTimeOutSeconds = 120;

// Bytes of the block for L data bytes; above 32 bits for an L the request cannot carry.
inline uint64_t BvPassThroughBlockSize(const BvPassThroughLayout& layout, uint32_t dataLength) {
    return uint64_t{layout.dataOffset} + dataLength + 1;
}

// Fills a zero-filled block of BvPassThroughBlockSize bytes: the header, the CDB (the first
// cdbLength bytes of commandBytes) and the data to send (the rest of commandBytes).
void BvFillPassThroughBlock(const BvPassThroughLayout& layout, uint8_t* block, const CBvByteArray& commandBytes,
                            uint8_t cdbLength, bool dataOut, uint32_t dataLength);
