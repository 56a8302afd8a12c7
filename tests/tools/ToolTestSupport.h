#pragma once
// Screen copies, real input and known backdrops for the tests of the selector, the flashing frame and
// the colour picker.
#include <windows.h>

#include <string>
#include <vector>

#include "Handles.h"

namespace tooltest {

RECT VirtualScreen();
std::vector<RECT> Monitors();

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
// Pixels that differ between two copies of the same area.
size_t CountDifferences(const ScreenCopy& a, const ScreenCopy& b, const RECT* within = nullptr);
// Saves a screen rectangle as PNG in the test output folder.
bool SaveScreenPng(const RECT& area, const std::wstring& name);

// Real input, as a user would give it.
void MoveMouse(LONG x, LONG y);
void MouseButton(DWORD flag);  // MOUSEEVENTF_LEFTDOWN ...
void Click(bool left = true);
void PressKey(WORD vk);

// A window over area painting a fine pattern of many colours (stripes of 1 to 7 pixels), or one colour.
// Not topmost, so the windows under test lie above it.
qel::UniqueHwnd PatternWindow(const RECT& area);
qel::UniqueHwnd SolidWindow(const RECT& area, COLORREF color);

// Ends a modal loop that input failed to end: calls EndModalLoop(result) on the window after ms.
class ModalWatchdog {
public:
    ModalWatchdog(HWND wnd, DWORD ms, int result);
    ~ModalWatchdog();
    ModalWatchdog(const ModalWatchdog&) = delete;
    ModalWatchdog& operator=(const ModalWatchdog&) = delete;

private:
    UINT_PTR timer_;
};

}  // namespace tooltest
