#pragma once
// Building component files: the optional text header, the marker and the image.
#include <cstdint>
#include <string>
#include <vector>

struct PackVersion {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t revision = 0;
};

// Exactly three decimal numbers of 0 to 65535 separated by full stops ("1.2.3").
bool ParsePackVersion(const std::string& text, PackVersion& version);

// Without any version the file is the bare image; otherwise a header line for each version
// given ("Product Version: X.Y.Z" and "Component Version: X.Y.Z", CR LF), the marker, the image.
std::vector<uint8_t> BuildComponentFile(const PackVersion* product, const PackVersion* component,
                                        const std::vector<uint8_t>& image);

// Writes beside the target and renames over it, so a failed write leaves the target alone.
// `error` says what went wrong.
bool WriteTempFile(const std::string& target, const std::vector<uint8_t>& bytes, std::string& tempName,
                   std::string& error);
bool ReplaceWithTempFile(const std::string& tempName, const std::string& target, std::string& error);
void RemoveTempFile(const std::string& tempName);
