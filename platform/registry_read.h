#pragma once
// Reading the registry. Results are Windows' system error codes (0 = success).
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace platform {

using RegKey = std::uintptr_t;

constexpr RegKey kHkeyClassesRoot = 0x80000000u;
constexpr RegKey kHkeyCurrentUser = 0x80000001u;
constexpr RegKey kHkeyLocalMachine = 0x80000002u;
constexpr RegKey kHkeyUsers = 0x80000003u;

constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kKeyRead = 0x20019;

class IRegistryRead {
public:
    virtual ~IRegistryRead() = default;

    // subKey is a path below parent with '\' separators, compared without regard to case.
    virtual std::int32_t OpenKey(RegKey parent, const std::wstring& subKey, std::uint32_t access,
                                 RegKey* key) = 0;
    // 259 (no more items) past the last subkey.
    virtual std::int32_t EnumKey(RegKey key, std::uint32_t index, std::wstring* name) = 0;
    // As RegQueryValueExW: string data as UTF-16LE with its terminating null. *size is the
    // buffer size on the way in and the data size on the way out; 234 (more data) when the
    // buffer is too small; data may be null to ask for the size.
    virtual std::int32_t QueryValue(RegKey key, const std::wstring& valueName,
                                    std::uint32_t* type, void* data, std::uint32_t* size) = 0;
    virtual std::int32_t CloseKey(RegKey key) = 0;
};

}  // namespace platform
