#include "firmware/byte_array.h"

#include <cstring>

bool CBvByteArray::Fits(uint32_t offset, uint32_t count) const {
    // 64-bit sum: an offset near 4 GiB must not wrap into range.
    return Data() && uint64_t{offset} + count <= GetSize();
}

int32_t CBvByteArray::GetBigEndian(uint32_t offset, uint32_t width, uint64_t& value) const {
    if (!Fits(offset, width)) return ERR_SHORT_BUFFER;
    uint64_t result = 0;
    for (uint32_t i = 0; i < width; ++i) result = (result << 8) | Data()[offset + i];
    value = result;
    return ERR_OK;
}

int32_t CBvByteArray::SetBigEndian(uint32_t offset, uint32_t width, uint64_t value) {
    if (!Fits(offset, width)) return ERR_SHORT_BUFFER;
    for (uint32_t i = width; i-- > 0; value >>= 8) Data()[offset + i] = static_cast<uint8_t>(value);
    return ERR_OK;
}

int32_t CBvByteArray::GetU16(uint32_t offset, uint16_t& value) const {
    uint64_t wide = 0;
    int32_t status = GetBigEndian(offset, 2, wide);
    if (status == ERR_OK) value = static_cast<uint16_t>(wide);
    return status;
}

int32_t CBvByteArray::GetU32(uint32_t offset, uint32_t& value) const {
    uint64_t wide = 0;
    int32_t status = GetBigEndian(offset, 4, wide);
    if (status == ERR_OK) value = static_cast<uint32_t>(wide);
    return status;
}

int32_t CBvByteArray::GetU64(uint32_t offset, uint64_t& value) const {
    return GetBigEndian(offset, 8, value);
}

int32_t CBvByteArray::GetBool(uint32_t offset, bool& flag) const {
    if (!Fits(offset, 1)) return ERR_SHORT_BUFFER;
    flag = Data()[offset] != 0;
    return ERR_OK;
}

int32_t CBvByteArray::GetBytes(void* destination, uint32_t count, uint32_t offset) const {
    if (!Fits(offset, count)) return ERR_SHORT_BUFFER;
    if (count) std::memcpy(destination, Data() + offset, count);
    return ERR_OK;
}

int32_t CBvByteArray::SetU16(uint32_t offset, uint16_t value) { return SetBigEndian(offset, 2, value); }
int32_t CBvByteArray::SetU32(uint32_t offset, uint32_t value) { return SetBigEndian(offset, 4, value); }
int32_t CBvByteArray::SetU64(uint32_t offset, uint64_t value) { return SetBigEndian(offset, 8, value); }

int32_t CBvByteArray::SetBytes(const void* source, uint32_t count, uint32_t offset) {
    if (!Fits(offset, count)) return ERR_SHORT_BUFFER;
    if (count) std::memcpy(Data() + offset, source, count);
    return ERR_OK;
}

int32_t CBvByteArray::IsEqual(const CBvByteArray& other) const {
    if (GetSize() != other.GetSize()) return 0;
    if (GetSize() == 0) return 1;
    if (!Data() || !other.Data()) return 0;
    return std::memcmp(Data(), other.Data(), GetSize()) == 0 ? 1 : 0;
}

std::wstring CBvByteArray::ToHexText() const {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    for (uint32_t i = 0; Data() && i < GetSize(); ++i) {
        if (i) text += L", ";
        text += L"0x";
        uint8_t byte = Data()[i];
        if (byte >= 0x10) text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}
