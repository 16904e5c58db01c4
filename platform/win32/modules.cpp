#include "platform/win32/services.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace win32 {

Handle Modules::LoadLibrary(const std::wstring& fileName) {
    return reinterpret_cast<Handle>(::LoadLibraryW(fileName.c_str()));
}

EntryPoint Modules::GetProcAddress(Handle module, const char* name) {
    FARPROC proc = ::GetProcAddress(reinterpret_cast<HMODULE>(module), name);
    return reinterpret_cast<EntryPoint>(reinterpret_cast<void (*)()>(proc));
}

bool Modules::FreeLibrary(Handle module) {
    return ::FreeLibrary(reinterpret_cast<HMODULE>(module)) != 0;
}

}  // namespace win32
}  // namespace platform
