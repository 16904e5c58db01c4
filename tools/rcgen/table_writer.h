#pragma once
// Writes the string tables read from .rc files as C++ source for the simulated PC
// (the declarations are sim/pc/string_tables.h).
#include <ostream>
#include <string>
#include <vector>

#include "tools/rcgen/rc_reader.h"

namespace rcgen {

struct ModuleSource {
    std::string fileName;          // module file name as the loader knows it
    std::vector<RcString> strings;
};

// A char16_t literal for text: printable ASCII as is, the rest as escapes.
std::string Utf16Literal(const std::u16string& text);

void WriteTables(std::ostream& out, const ModuleSource& program,
                 const std::vector<ModuleSource>& languageModules);

}  // namespace rcgen
