#include "tools/bvpack/pack_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "firmware/fw_component.h"

namespace {

bool ParseNumber(const std::string& text, size_t& pos, uint16_t& value) {
    uint32_t number = 0;
    size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 6) {
        number = number * 10 + static_cast<uint32_t>(text[pos++] - '0');
    }
    if (pos == start || number > 0xFFFF) return false;
    value = static_cast<uint16_t>(number);
    return true;
}

std::string VersionText(const PackVersion& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision);
}

void AppendLine(std::vector<uint8_t>& bytes, const std::string& line) {
    bytes.insert(bytes.end(), line.begin(), line.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
}

}  // namespace

bool ParsePackVersion(const std::string& text, PackVersion& version) {
    PackVersion parsed;
    size_t pos = 0;
    if (!ParseNumber(text, pos, parsed.major) || pos >= text.size() || text[pos++] != '.') return false;
    if (!ParseNumber(text, pos, parsed.minor) || pos >= text.size() || text[pos++] != '.') return false;
    if (!ParseNumber(text, pos, parsed.revision) || pos != text.size()) return false;
    version = parsed;
    return true;
}

std::vector<uint8_t> BuildComponentFile(const PackVersion* product, const PackVersion* component,
                                        const std::vector<uint8_t>& image) {
    std::vector<uint8_t> bytes;
    if (product || component) {
        if (product) AppendLine(bytes, "Product Version: " + VersionText(*product));
        if (component) AppendLine(bytes, "Component Version: " + VersionText(*component));
        bytes.insert(bytes.end(), std::begin(CBvFwComponent::kHeaderEnd), std::end(CBvFwComponent::kHeaderEnd));
    }
    bytes.insert(bytes.end(), image.begin(), image.end());
    return bytes;
}

bool WriteTempFile(const std::string& target, const std::vector<uint8_t>& bytes, std::string& tempName,
                   std::string& error) {
    tempName = target + ".bvpack-tmp";
    std::FILE* file = std::fopen(tempName.c_str(), "wb");
    if (!file) {
        error = "cannot create " + tempName;
        return false;
    }
    bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = (std::fclose(file) == 0) && written;
    if (!written) {
        RemoveTempFile(tempName);
        error = "cannot write " + tempName;
    }
    return written;
}

bool ReplaceWithTempFile(const std::string& tempName, const std::string& target, std::string& error) {
    std::error_code ec;
    std::filesystem::rename(tempName, target, ec);
    if (!ec) return true;
    RemoveTempFile(tempName);
    error = "cannot replace " + target + " (" + ec.message() + ")";
    return false;
}

void RemoveTempFile(const std::string& tempName) {
    std::error_code ec;
    std::filesystem::remove(tempName, ec);
}
