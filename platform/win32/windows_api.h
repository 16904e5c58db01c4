#pragma once
// <windows.h> for the Win32 platform's own sources. The seam's method names CreateFile,
// CreateEvent, LoadLibrary and GetDriveType are also Windows' A/W switching macros; they are
// removed here so that the interfaces mean the same in every translation unit, and the wide
// functions are called by their explicit names.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CreateFile
#undef CreateEvent
#undef LoadLibrary
#undef GetDriveType
