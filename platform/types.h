#pragma once
// Handles of the platform seam. They are pointer-sized numbers, as Windows' handles are, so
// that a handle can travel inside a byte structure (the ASPI request names its completion
// event) and the Windows implementation can pass them through unchanged.
#include <cstdint>

namespace platform {

using Handle = std::uintptr_t;

// CreateFile-like calls fail with the invalid handle; event, thread and module calls with null.
constexpr Handle kNullHandle = 0;
constexpr Handle kInvalidHandle = ~static_cast<Handle>(0);

inline bool IsValidHandle(Handle h) { return h != kNullHandle && h != kInvalidHandle; }

}  // namespace platform
