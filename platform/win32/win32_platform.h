#pragma once
// The real Windows platform. The Windows programs install it at start:
//   platform::Install(&platform::win32::Instance());
#include "platform/platform.h"

namespace platform {
namespace win32 {

IPlatform& Instance();

}  // namespace win32
}  // namespace platform
