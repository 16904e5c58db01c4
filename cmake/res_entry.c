/* Entry point of the resource-only language modules: they run no code, they only carry
   string tables, so loading and unloading always succeeds. */
#include <windows.h>

BOOL WINAPI ResEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
