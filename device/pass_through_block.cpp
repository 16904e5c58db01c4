#include "device/pass_through_block.h"

#include <algorithm>
#include <cstring>

#include "device/little_endian.h"

namespace {

constexpr uint32_t kCdbFieldSize = 16;
constexpr uint8_t kDataToDevice = 0;
constexpr uint8_t kDataFromDevice = 1;

}  // namespace

void BvFillPassThroughBlock(const BvPassThroughLayout& layout, uint8_t* block, const CBvByteArray& commandBytes,
                            uint8_t cdbLength, bool dataOut, uint32_t dataLength) {
    const uint32_t blockSize = static_cast<uint32_t>(BvPassThroughBlockSize(layout, dataLength));
    BvPutLe16(block, static_cast<uint16_t>(layout.headerSize));
    block[6] = cdbLength;
    block[kBvPassThroughSenseLength] = kBvPassThroughSenseBufferSize;
    // A command without data still says "from the device" unless it is a data-out command.
    block[8] = dataOut ? kDataToDevice : kDataFromDevice;
    BvPutLe32(block + 12, dataLength);
    BvPutLe32(block + 16, kBvPassThroughTimeOutSeconds);
    BvPutLeWord(block + layout.dataOffsetField, layout.dataOffsetWidth, layout.dataOffset);
    BvPutLe32(block + layout.senseOffsetField, layout.senseOffset);
    BvPutLe32(block + layout.blockSizeField, blockSize);

    const uint32_t size = commandBytes.GetSize();
    const uint8_t* bytes = commandBytes.Bytes();
    const uint32_t cdbBytes = std::min<uint32_t>({cdbLength, size, kCdbFieldSize});
    if (cdbBytes) std::memcpy(block + layout.cdbField, bytes, cdbBytes);
    // L is at least the data to send, so it always fits the data buffer.
    if (size > cdbLength) std::memcpy(block + layout.dataOffset, bytes + cdbLength, size - cdbLength);
}
