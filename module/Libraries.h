#pragma once
// Libraries loaded by name come from the system folder or from this library's own folder, never from
// the current folder or the search path, where anyone may have left a file of that name.
#include <windows.h>

#include <string>

namespace qel {

// name in the folder of modulePath; empty when modulePath names no folder.
std::wstring PathBeside(const std::wstring& modulePath, const wchar_t* name);

HMODULE LoadSystemLibrary(const wchar_t* name);
// name from the folder of the module that holds this code; its own imports are looked for there first.
HMODULE LoadLibraryBesideThisModule(const wchar_t* name);

}  // namespace qel
