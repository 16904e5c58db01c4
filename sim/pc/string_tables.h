#pragma once
// String resources of the modules the simulated PC has installed. The tables are generated
// at build time (bvrcgen) from the same .rc files that windres compiles for Windows, so the
// simulated PC hands out exactly the texts the real modules hold.
#include <cstddef>
#include <cstdint>

namespace sim {

struct StringResource {
    uint16_t id;
    const char16_t* text;  // UTF-16, as LoadStringW delivers it
    size_t length;         // in UTF-16 units
};

// One language's string table of a module, sorted by id.
struct StringTable {
    uint16_t langId;
    const StringResource* strings;
    size_t count;
};

struct ModuleStringTables {
    const char* fileName;  // "bvmp0409.dll", or the program's own file name
    const StringTable* tables;
    size_t count;
};

// The language modules built from resources/lang, sorted by file name.
const ModuleStringTables* BuiltLanguageModules();
size_t BuiltLanguageModuleCount();

// The program's own string table (ids 50-70 in eight languages).
const ModuleStringTables& BuiltProgramStrings();

}  // namespace sim
