#pragma once
// The register block of a VWIN32 DOS IOCTL request (INT 21h): EBX, EDX, ECX, EAX, EDI, ESI and
// the flags, 32 bits each, the same at every width. The request answers in the same block.
#include <cstdint>

#include "device/little_endian.h"

struct BvVwin32Registers {
    static constexpr uint32_t kSize = 28;
    static constexpr uint32_t kCarry = 0x0001;

    uint8_t bytes[kSize] = {};

    BvVwin32Registers(uint32_t ebx, uint32_t edx, uint32_t ecx, uint32_t eax, uint32_t flags = 0) {
        BvPutLe32(bytes + 0, ebx);
        BvPutLe32(bytes + 4, edx);
        BvPutLe32(bytes + 8, ecx);
        BvPutLe32(bytes + 12, eax);
        BvPutLe32(bytes + 24, flags);
    }
    bool Carry() const { return (BvGetLe32(bytes + 24) & kCarry) != 0; }
};
