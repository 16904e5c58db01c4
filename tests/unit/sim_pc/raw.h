#pragma once
// Helpers for driving the simulated PC as a Windows program would: raw bytes in, raw bytes out.
// Layouts are written here from Windows' definitions, independently of the simulated PC.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_access.h"
#include "platform/platform.h"
#include "sim/player/player.h"

namespace rawtest {

constexpr bool kWide = sizeof(void*) == 8;

inline void Put16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void Put32(uint8_t* p, uint32_t v) { Put16(p, v); Put16(p + 2, v >> 16); }
inline void Put64(uint8_t* p, uint64_t v) { Put32(p, uint32_t(v)); Put32(p + 4, uint32_t(v >> 32)); }
inline uint32_t Get16(const uint8_t* p) { return p[0] | p[1] << 8; }
inline uint32_t Get32(const uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }
inline uint64_t Get64(const uint8_t* p) { return Get32(p) | uint64_t(Get32(p + 4)) << 32; }
inline uint32_t GetBe32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

inline platform::Handle Open(const std::wstring& name,
                             uint32_t access = platform::kGenericRead | platform::kGenericWrite,
                             uint32_t share = platform::kFileShareRead | platform::kFileShareWrite,
                             uint32_t flags = 0) {
    return platform::DeviceIo().CreateFile(name, access, share, platform::kOpenExisting, flags);
}

inline uint32_t LastError() { return platform::System().GetLastError(); }

// Gives a fresh player one data drive covering its medium (vendor allocate, one entry).
inline bool AllocateDataDrive(sim::Player& player) {
    uint8_t cdb[16] = {0xC1, 0x06, 0x01};
    uint8_t entry[11] = {};  // type 0 (data), tag 0, size 0: whatever the medium holds
    sim::ScsiRequest request;
    request.cdb = cdb;
    request.cdbLength = 16;
    request.direction = sim::DataDirection::Out;
    request.dataOut = entry;
    request.transferLength = sizeof entry;
    return player.Execute(request).outcome == sim::ScsiOutcome::Good;
}

}  // namespace rawtest
