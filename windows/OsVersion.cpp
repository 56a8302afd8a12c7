#include "windows/OsVersion.h"

#include <windows.h>

namespace {

OSVERSIONINFOEXW Query() {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) version = OSVERSIONINFOEXW{};
    return version;
}

}  // namespace

namespace OsVersion {

bool IsVistaOrLater() { return Query().dwMajorVersion >= 6; }

bool IsWindows8OrLater() {
    const OSVERSIONINFOEXW v = Query();
    return (v.dwMajorVersion == 6 && v.dwMinorVersion >= 2) || v.dwMajorVersion > 6;
}

bool IsWindows10OrLater() { return Query().dwMajorVersion >= 10; }

}  // namespace OsVersion
