#pragma once
// Loading a library at run time and looking up its entry points.
#include <string>

#include "platform/types.h"

namespace platform {

// An entry point as the loader gives it; cast it to the function's own type before calling.
using EntryPoint = void (*)();

class IModules {
public:
    virtual ~IModules() = default;

    // Null handle and last error (126) when the library cannot be loaded.
    virtual Handle LoadLibrary(const std::wstring& fileName) = 0;
    // Null and last error (127) when the library has no such entry point.
    virtual EntryPoint GetProcAddress(Handle module, const char* name) = 0;
    virtual bool FreeLibrary(Handle module) = 0;
};

}  // namespace platform
