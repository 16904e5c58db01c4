#pragma once
// Strings, system message texts and icons from the real system.
#include "platform/resources.h"

namespace platform {
namespace win32 {

class Resources final : public IResources {
public:
    bool LoadModuleString(Handle module, std::uint16_t id, std::uint16_t langId,
                          std::wstring& text) override;
    bool LoadProgramString(std::uint16_t id, std::uint16_t langId, std::wstring& text) override;
    bool FormatSystemMessage(std::uint32_t error, std::uint16_t langId, std::wstring& text) override;
    Handle LoadProgramIcon(std::uint16_t id, int size) override;
};

}  // namespace win32
}  // namespace platform
