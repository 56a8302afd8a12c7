#pragma once
// Small helpers shared by the test executables.
#include <windows.h>
#include <functional>
#include <string>
#include <utility>

#include "Handles.h"

namespace qeltest {

// The display layout the test runs on: "single", "dual" or "left".
std::string Layout();
// A path in the layout's output folder (QEL_TEST_OUTPUT), for screenshots a person can look at.
std::wstring OutputPath(const std::wstring& name);
// Pumps the calling thread's messages for about ms milliseconds.
void PumpFor(DWORD ms);
// Pumps the calling thread's messages until done() holds or about timeoutMs have passed; done() then.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// The test executable, and the folder it lies in (with its closing separator).
std::wstring OwnExePath();
std::wstring ExeFolder();
// A program of the test executable's folder, started with arguments; null when it could not be.
qel::UniqueKernelHandle StartProgram(const std::wstring& exe, const std::wstring& arguments, DWORD* id = nullptr);
// Waits up to timeoutMs for the process to end, then ends it; whether it had ended by itself.
bool EndProcess(HANDLE process, DWORD timeoutMs);
// Runs a program of the test executable's folder: its exit code, or -1 when it could not be started
// or had not ended within timeoutMs.
int RunProgram(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs);

// Wine's notepad, started by the constructor with a document if one is given; window is its visible main
// window, null when it did not show. The object asks it to close, and ends it if it has not within a few
// seconds.
struct Notepad {
    explicit Notepad(const std::wstring& document = L"");
    ~Notepad();
    Notepad(const Notepad&) = delete;
    Notepad& operator=(const Notepad&) = delete;

    HANDLE process = nullptr;
    DWORD id = 0;
    HWND window = nullptr;
};

// Width and height as one value, so that a size check reads as one and a failure prints both.
using Size = std::pair<long, long>;
template <class Image>
Size SizeOf(Image* image) {
    return {static_cast<long>(image->GetWidth()), static_cast<long>(image->GetHeight())};
}
inline Size SizeOf(const BITMAPINFOHEADER* dib) { return {dib->biWidth, dib->biHeight}; }
inline Size SizeOf(BITMAPINFOHEADER* dib) { return SizeOf(static_cast<const BITMAPINFOHEADER*>(dib)); }

}  // namespace qeltest
