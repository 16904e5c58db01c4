#pragma once
// ASPI request blocks (SRBs) as bytes. The command request is byte-packed with two
// pointer-sized fields (data buffer and completion event), so its layout follows the width of
// the build: 80 bytes at 32 bits, 88 at 64 bits. The two queries hold no pointers.
#include <cstdint>

struct BvAspiExecLayout {
    uint32_t size;
    uint32_t pointerWidth;  // SRB_BufPointer and SRB_PostProc
    uint32_t bufPointer;
    uint32_t senseLen;
    uint32_t cdbLen;
    uint32_t postProc;
    uint32_t cdb;           // 16 bytes
    uint32_t senseArea;     // 16 bytes
};

constexpr BvAspiExecLayout kBvAspiExec32 = {80, 4, 16, 20, 21, 24, 48, 64};
constexpr BvAspiExecLayout kBvAspiExec64 = {88, 8, 16, 24, 25, 28, 56, 72};
inline constexpr const BvAspiExecLayout& kBvAspiExecNative = sizeof(void*) == 8 ? kBvAspiExec64 : kBvAspiExec32;
constexpr uint32_t kBvAspiExecMaxSize = 88;

// Fields at the same offset in every request block.
constexpr uint32_t kBvSrbCmd = 0;
constexpr uint32_t kBvSrbStatus = 1;
constexpr uint32_t kBvSrbHaId = 2;
constexpr uint32_t kBvSrbFlags = 3;
constexpr uint32_t kBvSrbBufLen = 12;

// The sense bytes the command request asks for and that are kept after a failure.
constexpr uint8_t kBvAspiSenseLength = 14;

// SRB_HAInquiry: on completion byte 8 holds the number of host adapters.
constexpr uint32_t kBvSrbHaInquirySize = 60;
constexpr uint32_t kBvSrbHaCount = 8;
// SRB_GetDiskInfo: target and LUN in bytes 8 and 9; byte 11 the BIOS (INT 13h) drive number.
constexpr uint32_t kBvSrbDiskInfoSize = 24;
constexpr uint32_t kBvSrbInt13Drive = 11;
