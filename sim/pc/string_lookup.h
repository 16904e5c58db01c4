#pragma once
// Finding a string in a module's generated tables the way Windows finds a string block.
#include <cstdint>
#include <string>

#include "sim/pc/string_tables.h"

namespace sim {

// The built language module of this file name (compared without case), or null.
const ModuleStringTables* FindBuiltLanguageModule(const std::wstring& fileName);

// FindResourceExW's language search: langId, its neutral sublanguage, the neutral language;
// a neutral langId (primary 0) then tries the user's language, its neutral sublanguage,
// English (United States) and finally the first language present. Null with *error 1815
// (no table in a fitting language) or 1814 (the table lacks the id).
const StringResource* FindString(const ModuleStringTables& module, uint16_t id, uint16_t langId,
                                 uint16_t userLangId, uint32_t* error);

// The resource's UTF-16 as the program's wide string.
std::wstring ToWide(const StringResource& resource);

}  // namespace sim
