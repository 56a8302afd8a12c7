#pragma once
// Small helpers shared by the test executables.
#include <windows.h>
#include <string>
#include <utility>

namespace qeltest {

// The display layout the test runs on: "single", "dual" or "left".
std::string Layout();
// A path in the layout's output folder (QEL_TEST_OUTPUT), for screenshots a person can look at.
std::wstring OutputPath(const std::wstring& name);
// Pumps the calling thread's messages for about ms milliseconds.
void PumpFor(DWORD ms);

// Wine's notepad, started by the constructor; window is its visible main window, null when it did not
// show. The object asks it to close, and ends it if it has not within a few seconds.
struct Notepad {
    Notepad();
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
