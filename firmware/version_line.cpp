#include "firmware/version_line.h"

#include <cstdint>
#include <cstring>

namespace {

const char kProductLabel[] = "Product Version:";
const char kComponentLabel[] = "Component Version:";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One "%u" conversion: blanks, an optional sign, decimal digits. The value wraps modulo 2^32
// as an unsigned conversion does, so it is the same on every compiler and width.
bool ReadUnsigned(const char*& p, uint32_t& value) {
    const char* q = p;
    while (IsBlank(*q)) ++q;
    bool negative = false;
    if (*q == '+' || *q == '-') negative = *q++ == '-';
    if (!IsDigit(*q)) return false;
    uint32_t result = 0;
    while (IsDigit(*q)) result = result * 10u + static_cast<uint32_t>(*q++ - '0');
    value = negative ? 0u - result : result;
    p = q;
    return true;
}

}  // namespace

BvVersionLine BvParseVersionLine(const char* line, CBvVersionInfo& version) {
    BvVersionLine kind = BvVersionLine::Product;
    const char* p = std::strstr(line, kProductLabel);
    if (p) {
        p += sizeof kProductLabel - 1;
    } else if ((p = std::strstr(line, kComponentLabel)) != nullptr) {
        kind = BvVersionLine::Component;
        p += sizeof kComponentLabel - 1;
    } else {
        return BvVersionLine::None;
    }

    const char* rest = p;
    while (IsBlank(*rest)) ++rest;
    if (*rest == '\0') return BvVersionLine::None;  // nothing but blanks after the label

    uint32_t numbers[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (*p != '.') break;
            ++p;
        }
        if (!ReadUnsigned(p, numbers[i])) break;
    }
    version.SetMajor(static_cast<int32_t>(numbers[0] & 0xFFFFu));
    version.SetMinor(static_cast<int32_t>(numbers[1] & 0xFFFFu));
    version.SetRevision(static_cast<int32_t>(numbers[2] & 0xFFFFu));
    return kind;
}
