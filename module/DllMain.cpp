#include <windows.h>

// Nothing that loads libraries, starts threads or waits may run here (the loader lock is held):
// GDI+ and the process-wide containers start on first use instead.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) ::DisableThreadLibraryCalls(instance);
    return TRUE;
}
