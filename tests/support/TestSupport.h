#pragma once
// Small helpers shared by the test executables.
#include <windows.h>
#include <string>

namespace qeltest {

// The display layout the test runs on: "single", "dual" or "left".
std::string Layout();
// A path in the layout's output folder (QEL_TEST_OUTPUT), for screenshots a person can look at.
std::wstring OutputPath(const std::wstring& name);
// Pumps the calling thread's messages for about ms milliseconds.
void PumpFor(DWORD ms);

}  // namespace qeltest
