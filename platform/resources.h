#pragma once
// Resources of loaded modules and of the program itself, and the system's message texts.
// Texts come back as std::wstring (UTF-16 on Windows, converted by the simulated PC).
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace platform {

class IResources {
public:
    virtual ~IResources() = default;

    // String `id` of a module that LoadLibrary returned. langId 0 lets the system choose, as
    // LoadStringW does; a language module holds one language. False with the last error set
    // (1814: no such string, 6: no module) when the string is missing or empty.
    virtual bool LoadModuleString(Handle module, std::uint16_t id, std::uint16_t langId,
                                  std::wstring& text) = 0;

    // String `id` from the program's own resources in `langId`, found as FindResourceExW
    // finds a string block: the language, then its neutral sublanguage, then the neutral
    // language; only a neutral langId goes on to the user's and English and any language.
    // False with the last error (1815: not in this language, 1814: no such string).
    virtual bool LoadProgramString(std::uint16_t id, std::uint16_t langId, std::wstring& text) = 0;

    // The system's message text for a system error code, in `langId` (0: the user's default
    // language), as FormatMessageW gives it from the system table with inserts ignored.
    // False with the last error when the system has no text for it.
    virtual bool FormatSystemMessage(std::uint32_t error, std::uint16_t langId,
                                     std::wstring& text) = 0;

    // Icon `id` of the program's own resources at size x size pixels, shared (never
    // destroyed by the caller). Null with the last error when there is none.
    virtual Handle LoadProgramIcon(std::uint16_t id, int size) = 0;
};

}  // namespace platform
