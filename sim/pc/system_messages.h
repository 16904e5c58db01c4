#pragma once
// The simulated system's message table: Windows' own texts for the error codes the program
// meets, in English and German. Other languages get the English text, as a system without
// that language's messages does.
#include <cstdint>
#include <string>

namespace sim {

// False for a code the table does not know (Windows then fails with 317).
bool SystemMessageText(uint32_t error, uint16_t langId, std::wstring& text);

}  // namespace sim
