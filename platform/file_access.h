#pragma once
// Access rights, share modes, creation dispositions, flags and move methods of CreateFile and
// SetFilePointer, as Windows numbers them.
#include <cstdint>

namespace platform {

constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;

constexpr std::uint32_t kFileShareRead = 0x1;
constexpr std::uint32_t kFileShareWrite = 0x2;

constexpr std::uint32_t kCreateNew = 1;
constexpr std::uint32_t kCreateAlways = 2;
constexpr std::uint32_t kOpenExisting = 3;
constexpr std::uint32_t kOpenAlways = 4;
constexpr std::uint32_t kTruncateExisting = 5;

constexpr std::uint32_t kFileFlagOverlapped = 0x40000000u;
constexpr std::uint32_t kFileFlagDeleteOnClose = 0x04000000u;

constexpr std::uint32_t kFileBegin = 0;
constexpr std::uint32_t kFileCurrent = 1;
constexpr std::uint32_t kFileEnd = 2;

}  // namespace platform
