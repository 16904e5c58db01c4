#pragma once
// Reads a firmware component file as the player's maker ships it: an optional text header
// with "Product Version:" and "Component Version:" lines, the marker 1A 'B' 'V' 'M' 'P', and
// the image; without any version line the whole file is the image.
#include <cstdint>
#include <string>
#include <vector>

namespace bvplayer {

struct ComponentFile {
    uint16_t productVersion[3] = {};
    uint16_t componentVersion[3] = {};
    std::vector<uint8_t> image;
};

// False with *error set when the file cannot be read or has version lines but no marker.
bool ReadComponentFile(const std::string& path, ComponentFile* out, std::string* error);

}  // namespace bvplayer
