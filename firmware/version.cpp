#include "firmware/version.h"

CBvVersionInfo::CBvVersionInfo(const CBvVersionInfo& source) : CBvBase("CBvBase") {
    *this = source;
}

CBvVersionInfo& CBvVersionInfo::operator=(const CBvVersionInfo& source) {
    CBvBase::operator=(source);
    m_major = source.m_major;
    m_minor = source.m_minor;
    m_revision = source.m_revision;
    return *this;
}

namespace {

void AppendPadded(std::wstring& text, uint16_t number) {
    std::wstring digits = std::to_wstring(number);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), L'0');
    text += digits;
}

}  // namespace

std::wstring CBvVersionInfo::ToText() const {
    std::wstring text;
    AppendPadded(text, m_major);
    text += L'.';
    AppendPadded(text, m_minor);
    text += L'.';
    AppendPadded(text, m_revision);
    return text;
}
