#pragma once
// Operating-system version tests. Each call asks the system again: the answer depends on the
// process's compatibility settings, which tests change between runs.
namespace OsVersion {

bool IsVistaOrLater();     // major 6 or more
bool IsWindows8OrLater();  // 6.2 or later
bool IsWindows10OrLater(); // major 10 or more

}  // namespace OsVersion
