#pragma once
// Screen copies and real input, as a user would give it, for the tests that drive overlays and menus.
#include <windows.h>

#include <string>
#include <vector>

namespace qeltest {

// The bounding rectangle of all monitors.
RECT VirtualScreen();

// The pixels of a screen rectangle, 0x00RRGGBB, row by row from the top.
struct ScreenCopy {
    RECT area{};
    std::vector<DWORD> pixels;
    DWORD At(LONG x, LONG y) const {  // screen coordinates
        return pixels[static_cast<size_t>(y - area.top) * (area.right - area.left) + (x - area.left)];
    }
    bool Contains(LONG x, LONG y) const { return x >= area.left && x < area.right && y >= area.top && y < area.bottom; }
};
ScreenCopy CopyScreen(const RECT& area);
// Wine puts what a window painted on the screen a little after the paint: true once the screen shows in
// area (screen coordinates, within the window's client area) what the window holds there.
bool WaitForWindowOnScreen(HWND wnd, const RECT& area, DWORD timeoutMs = 5000);
// Pixels that differ between two copies of the same area, all or only those within a rectangle.
size_t CountDifferences(const ScreenCopy& a, const ScreenCopy& b, const RECT* within = nullptr);
// Saves a screen rectangle as PNG in the test output folder, for a person to look at. Starts GDI+.
void SaveScreenPng(const RECT& area, const std::wstring& name);
}  // namespace qeltest
namespace Gdiplus { class Image; }
namespace qeltest {
// Saves an image the same way, so that a failed pixel check leaves what was checked behind.
void SaveImagePng(Gdiplus::Image* image, const std::wstring& name);

// Real input through SendInput; the mouse goes to absolute virtual-desktop coordinates.
void MoveMouse(LONG x, LONG y);
inline void MoveMouse(POINT p) { MoveMouse(p.x, p.y); }
void MouseButton(DWORD flag);  // MOUSEEVENTF_LEFTDOWN ...
void Click(bool left = true);
void PressKey(WORD vk);
// A left-button drag with a user's pauses, pumping this thread's messages meanwhile: an overlay takes the
// press where the pointer is when it reads it, and the selection follows the pointer on its next 33 ms tick.
void Drag(POINT from, POINT to);

}  // namespace qeltest
