#include "tools/bvplayer/component_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace bvplayer {

namespace {

const char kProductLabel[] = "Product Version:";
const char kComponentLabel[] = "Component Version:";
const uint8_t kMarker[] = {0x1A, 'B', 'V', 'M', 'P'};
constexpr size_t kMaxLine = 79;

// Reads up to three dot-separated numbers after a label; false when only blanks follow.
bool ParseVersion(const std::string& text, uint16_t version[3]) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at == text.size()) return false;
    uint32_t numbers[3] = {};
    for (int part = 0; part < 3; ++part) {
        if (at >= text.size() || text[at] < '0' || text[at] > '9') break;
        uint32_t n = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') n = n * 10 + static_cast<uint32_t>(text[at++] - '0');
        numbers[part] = n;
        if (at >= text.size() || text[at] != '.') break;
        ++at;
    }
    for (int i = 0; i < 3; ++i) version[i] = static_cast<uint16_t>(numbers[i]);
    return true;
}

}  // namespace

bool ReadComponentFile(const std::string& path, ComponentFile* out, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open " + path;
        return false;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    // The header is text: it ends at the first 0x1A, lines end with LF (CR LF read as LF).
    bool product = false, component = false;
    std::string line;
    for (size_t i = 0; i <= bytes.size() && !(product && component); ++i) {
        const bool end = i == bytes.size() || bytes[i] == 0x1A;
        if (!end && bytes[i] != '\n') {
            if (bytes[i] != '\r' || i + 1 >= bytes.size() || bytes[i + 1] != '\n') line += static_cast<char>(bytes[i]);
            if (line.size() > kMaxLine) break;
            continue;
        }
        const size_t p = line.find(kProductLabel);
        const size_t c = line.find(kComponentLabel);
        if (p != std::string::npos) {
            product = ParseVersion(line.substr(p + std::strlen(kProductLabel)), out->productVersion) || product;
        } else if (c != std::string::npos) {
            component = ParseVersion(line.substr(c + std::strlen(kComponentLabel)), out->componentVersion) || component;
        }
        line.clear();
        if (end) break;
    }

    if (!product && !component) {
        out->image = bytes;
        return true;
    }
    for (size_t at = 0; at + sizeof kMarker <= bytes.size(); ++at) {
        if (std::memcmp(&bytes[at], kMarker, sizeof kMarker) == 0) {
            out->image.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at + sizeof kMarker), bytes.end());
            return true;
        }
    }
    *error = path + " has version lines but no image marker";
    return false;
}

}  // namespace bvplayer
