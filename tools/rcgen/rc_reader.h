#pragma once
// Reads the string tables of a UTF-8 .rc file: the subset of the resource language that
// our .rc files use, read the way windres -c 65001 reads it, so that the simulated PC
// serves exactly the texts that the Windows build compiles into its modules.
#include <cstdint>
#include <string>
#include <vector>

namespace rcgen {

struct RcString {
    uint16_t langId;    // MAKELANGID of the LANGUAGE statement in force
    uint16_t id;
    std::u16string text;  // UTF-16, as LoadStringW hands it out
};

// Accepted: // and /* */ comments, LANGUAGE primary, sub (decimal or 0x hex), and
// STRINGTABLE BEGIN|{ id[,] "text" ... END|} blocks. Strings take "" for a quote and the
// escapes \n \r \t \\ \". Anything else is refused, so that the two compilers of the
// same file cannot silently disagree. Returns false with "file:line: reason" in error.
bool ReadStringTables(const std::string& source, const std::string& fileName,
                      std::vector<RcString>& out, std::string& error);

// Decodes UTF-8 into UTF-16; false on malformed input.
bool Utf8ToUtf16(const std::string& in, std::u16string& out);

}  // namespace rcgen
