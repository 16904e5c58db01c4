#pragma once
// CBvVersionInfo: a three-part version number (major.minor.revision), shown as 001.002.034.
// Versions are for display and recording only; nothing compares them.
#include <cstdint>
#include <string>

#include "app/base.h"

class CBvVersionInfo : public CBvBase {
public:
    explicit CBvVersionInfo(std::string objectName = "CBvVersionInfo") : CBvBase(std::move(objectName)) {}

    // A copy carries the source's name and status along with the numbers.
    CBvVersionInfo(const CBvVersionInfo& source);
    CBvVersionInfo& operator=(const CBvVersionInfo& source);

    uint16_t GetMajor() const { return m_major; }
    uint16_t GetMinor() const { return m_minor; }
    uint16_t GetRevision() const { return m_revision; }

    // Each keeps the low 16 bits of the value.
    void SetMajor(int32_t value) { m_major = static_cast<uint16_t>(value); }
    void SetMinor(int32_t value) { m_minor = static_cast<uint16_t>(value); }
    void SetRevision(int32_t value) { m_revision = static_cast<uint16_t>(value); }

    // "%03d.%03d.%03d": 1.2.34 shows as 001.002.034, 1234.0.0 as 1234.000.000.
    std::wstring ToText() const;

private:
    uint16_t m_major = 0;
    uint16_t m_minor = 0;
    uint16_t m_revision = 0;
};
