// A library whose only purpose is its name: a process that loads it looks like one built on the
// presentation framework to a module scan.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
