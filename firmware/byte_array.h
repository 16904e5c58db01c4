#pragma once
// CBvByteArray: the program's byte buffer. Multi-byte accessors are big-endian, as every
// SCSI command block, answer and drive information record is.
#include <cstdint>
#include <string>

#include "firmware/array.h"

class CBvByteArray : public CBvArray<uint8_t> {
public:
    explicit CBvByteArray(uint32_t count, std::string objectName = "CBvByteArray")
        : CBvArray<uint8_t>(count, std::move(objectName)) {}

    int32_t GetU16(uint32_t offset, uint16_t& value) const;
    int32_t GetU32(uint32_t offset, uint32_t& value) const;
    int32_t GetU64(uint32_t offset, uint64_t& value) const;
    int32_t GetBool(uint32_t offset, bool& flag) const;
    int32_t GetBytes(void* destination, uint32_t count, uint32_t offset) const;

    int32_t SetU16(uint32_t offset, uint16_t value);
    int32_t SetU32(uint32_t offset, uint32_t value);
    int32_t SetU64(uint32_t offset, uint64_t value);
    int32_t SetBytes(const void* source, uint32_t count, uint32_t offset);

    int32_t IsEqual(const CBvByteArray& other) const;
    int32_t Differs(const CBvByteArray& other) const { return !IsEqual(other); }

    // "0x1, 0xab, 0x0" for the bytes 01 AB 00.
    std::wstring ToHexText() const;

    const uint8_t* Bytes() const { return Data(); }
    uint8_t* Bytes() { return Data(); }

private:
    bool Fits(uint32_t offset, uint32_t count) const;
    int32_t GetBigEndian(uint32_t offset, uint32_t width, uint64_t& value) const;
    int32_t SetBigEndian(uint32_t offset, uint32_t width, uint64_t value);
};
