#pragma once
// Turning a status code into the message and details a person reads: on screen in the user's
// language, in the log in the log language.
#include <cstdint>
#include <string>

class CBvLanguageModule;

// Fills message and, for the codes that have them, details from the language module and the
// engine's error record (through the module). Never fails as a whole: a text that cannot be
// loaded leaves its part empty.
void ComposeStatusMessage(CBvLanguageModule& texts, int32_t code, std::wstring& message,
                          std::wstring& details, bool forLog);
