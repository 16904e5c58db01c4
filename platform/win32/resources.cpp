#include "platform/win32/resources.h"

#include "platform/errors.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace win32 {

namespace {

constexpr DWORD kErrorResourceNameNotFound = 1814;

// Strings live in blocks of 16 (block n + 1 holds ids 16n to 16n + 15), each a length
// followed by that many UTF-16 units. FindResourceExW applies the language search.
bool LoadFromBlock(HMODULE module, std::uint16_t id, std::uint16_t langId, std::wstring& text) {
    text.clear();
    HRSRC info = ::FindResourceExW(module, MAKEINTRESOURCEW(6),  // RT_STRING
                                   MAKEINTRESOURCEW(id / 16 + 1), langId);
    if (info == nullptr) return false;
    HGLOBAL data = ::LoadResource(module, info);
    const WORD* p = data != nullptr ? static_cast<const WORD*>(::LockResource(data)) : nullptr;
    if (p == nullptr) return false;
    const WORD* end = p + ::SizeofResource(module, info) / sizeof(WORD);
    for (unsigned i = 0; i < id % 16u; ++i) {
        if (p >= end) break;
        p += 1 + *p;
    }
    if (p >= end || *p == 0 || p + 1 + *p > end) {
        ::SetLastError(kErrorResourceNameNotFound);
        return false;
    }
    text.assign(reinterpret_cast<const wchar_t*>(p + 1), *p);
    return true;
}

}  // namespace

bool Resources::LoadModuleString(Handle module, std::uint16_t id, std::uint16_t langId,
                                 std::wstring& text) {
    // A null module would mean the program itself to FindResourceExW.
    if (module == kNullHandle) {
        ::SetLastError(kErrorInvalidHandle);
        return false;
    }
    return LoadFromBlock(reinterpret_cast<HMODULE>(module), id, langId, text);
}

bool Resources::LoadProgramString(std::uint16_t id, std::uint16_t langId, std::wstring& text) {
    return LoadFromBlock(::GetModuleHandleW(nullptr), id, langId, text);
}

bool Resources::FormatSystemMessage(std::uint32_t error, std::uint16_t langId, std::wstring& text) {
    text.clear();
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, error, langId, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0) return false;
    text.assign(buffer, length);
    ::LocalFree(buffer);
    return true;
}

Handle Resources::LoadProgramIcon(std::uint16_t id, int size) {
    return reinterpret_cast<Handle>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                 IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace win32
}  // namespace platform
