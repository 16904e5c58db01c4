#pragma once
// ASPI for Win32 as the program sees it: the library, its two entry points and the numbers of
// its request blocks. The request blocks themselves are built as bytes by the caller.
#include <cstdint>

namespace platform {

constexpr const wchar_t* kAspiLibraryName = L"WNASPI32.DLL";
constexpr const char* kAspiSupportInfoEntry = "GetASPI32SupportInfo";
constexpr const char* kAspiSendCommandEntry = "SendASPI32Command";

// Both entry points use the C calling convention.
using AspiSupportInfoFn = std::uint32_t (*)();
using AspiSendCommandFn = std::uint32_t (*)(void* requestBlock);

namespace aspi {
// Commands (SRB_Cmd)
constexpr std::uint8_t kScHaInquiry = 0x00;
constexpr std::uint8_t kScGetDevType = 0x01;
constexpr std::uint8_t kScExecScsiCmd = 0x02;
constexpr std::uint8_t kScGetDiskInfo = 0x06;
// Status (SRB_Status and the second byte of the support information)
constexpr std::uint8_t kSsPending = 0x00;
constexpr std::uint8_t kSsComp = 0x01;
constexpr std::uint8_t kSsAborted = 0x02;
constexpr std::uint8_t kSsErr = 0x04;
constexpr std::uint8_t kSsInvalidCmd = 0x80;
constexpr std::uint8_t kSsInvalidHa = 0x81;
constexpr std::uint8_t kSsNoDevice = 0x82;
constexpr std::uint8_t kSsNoAdapters = 0xE8;
// Flags (SRB_Flags)
constexpr std::uint8_t kSrbDirIn = 0x08;
constexpr std::uint8_t kSrbDirOut = 0x10;
constexpr std::uint8_t kSrbEventNotify = 0x40;
// Host adapter and target status
constexpr std::uint8_t kHaOk = 0x00;
constexpr std::uint8_t kHaSelTimeout = 0x11;
constexpr std::uint8_t kStatusGood = 0x00;
constexpr std::uint8_t kStatusCheckCondition = 0x02;
}  // namespace aspi

}  // namespace platform
