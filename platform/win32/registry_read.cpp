#include "platform/win32/services.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace win32 {

namespace {

// The seam names the predefined keys by their 32-bit numbers; Windows' own values are
// sign-extended on 64-bit systems.
HKEY ToWin(RegKey key) {
    switch (key) {
    case kHkeyClassesRoot: return HKEY_CLASSES_ROOT;
    case kHkeyCurrentUser: return HKEY_CURRENT_USER;
    case kHkeyLocalMachine: return HKEY_LOCAL_MACHINE;
    case kHkeyUsers: return HKEY_USERS;
    default: return reinterpret_cast<HKEY>(key);
    }
}

}  // namespace

std::int32_t RegistryRead::OpenKey(RegKey parent, const std::wstring& subKey,
                                   std::uint32_t access, RegKey* key) {
    HKEY opened = nullptr;
    LONG result = ::RegOpenKeyExW(ToWin(parent), subKey.c_str(), 0, access, &opened);
    *key = result == ERROR_SUCCESS ? reinterpret_cast<RegKey>(opened) : 0;
    return result;
}

std::int32_t RegistryRead::EnumKey(RegKey key, std::uint32_t index, std::wstring* name) {
    wchar_t buffer[256];
    DWORD length = sizeof buffer / sizeof buffer[0];
    LONG result = ::RegEnumKeyExW(ToWin(key), index, buffer, &length, nullptr, nullptr, nullptr,
                                  nullptr);
    if (result == ERROR_SUCCESS) name->assign(buffer, length);
    return result;
}

std::int32_t RegistryRead::QueryValue(RegKey key, const std::wstring& valueName,
                                      std::uint32_t* type, void* data, std::uint32_t* size) {
    DWORD valueType = 0;
    DWORD length = size != nullptr ? *size : 0;
    LONG result = ::RegQueryValueExW(ToWin(key), valueName.c_str(), nullptr, &valueType,
                                     static_cast<BYTE*>(data), size != nullptr ? &length : nullptr);
    if (type != nullptr) *type = valueType;
    if (size != nullptr) *size = length;
    return result;
}

std::int32_t RegistryRead::CloseKey(RegKey key) { return ::RegCloseKey(ToWin(key)); }

}  // namespace win32
}  // namespace platform
