// bvrcgen: turns the program's own .rc string table and the language modules' .rc files
// into the C++ tables from which the simulated PC serves string resources.
//
//   bvrcgen OUT.cpp PROGRAM_FILE_NAME PROGRAM.rc MODULE.rc...
//
// A module's file name is its .rc file's base name with ".dll" (lang/bvmp0409.rc ->
// bvmp0409.dll), the name windres builds it under.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/rcgen/rc_reader.h"
#include "tools/rcgen/table_writer.h"

namespace {

bool ReadModule(const std::string& path, const std::string& fileName, rcgen::ModuleSource& module) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "bvrcgen: cannot open %s\n", path.c_str());
        return false;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string error;
    module.fileName = fileName;
    if (!rcgen::ReadStringTables(buffer.str(), path, module.strings, error)) {
        std::fprintf(stderr, "bvrcgen: %s\n", error.c_str());
        return false;
    }
    return true;
}

std::string ModuleFileName(const std::string& rcPath) {
    const size_t slash = rcPath.find_last_of("/\\");
    std::string base = slash == std::string::npos ? rcPath : rcPath.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos) base.erase(dot);
    return base + ".dll";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: bvrcgen OUT.cpp PROGRAM_FILE_NAME PROGRAM.rc MODULE.rc...\n");
        return 2;
    }
    rcgen::ModuleSource program;
    if (!ReadModule(argv[3], argv[2], program)) return 1;
    std::vector<rcgen::ModuleSource> modules(static_cast<size_t>(argc - 4));
    for (int i = 4; i < argc; ++i)
        if (!ReadModule(argv[i], ModuleFileName(argv[i]), modules[static_cast<size_t>(i - 4)])) return 1;

    std::ostringstream text;
    rcgen::WriteTables(text, program, modules);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << text.str();
    if (!out.flush()) {
        std::fprintf(stderr, "bvrcgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
