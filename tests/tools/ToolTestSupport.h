#pragma once
// Screen copies, real input and known backdrops for the tests of the selector, the flashing frame and
// the colour picker.
#include <gtest/gtest.h>
#include <windows.h>

#include <QelFramework/Framework.h>

#include <ostream>
#include <string>
#include <vector>

#include "Handles.h"
#include "tools/ToolGeometry.h"

inline void PrintTo(const CRect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

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
};
ScreenCopy CopyScreen(const RECT& area);
// Pixels that differ between two copies of the same area, all or only those within a rectangle.
size_t CountDifferences(const ScreenCopy& a, const ScreenCopy& b, const RECT* within = nullptr);
// Saves a screen rectangle as PNG in the test output folder, for a person to look at.
void SaveScreenPng(const RECT& area, const std::wstring& name);

// Real input, as a user would give it.
void MoveMouse(LONG x, LONG y);
void MouseButton(DWORD flag);  // MOUSEEVENTF_LEFTDOWN ...
void Click(bool left = true);
void PressKey(WORD vk);

// A window over area painting a different colour in nearly every pixel, or one colour. Not topmost,
// so the windows under test lie above it.
qel::UniqueHwnd PatternWindow(const RECT& area);
qel::UniqueHwnd SolidWindow(const RECT& area, COLORREF color);

inline bool InShape(const qel::FrameShape& s, LONG x, LONG y) {
    const auto in = [&](const RECT& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; };
    for (const RECT& hole : s.holes)
        if (in(hole)) return false;
    return in(s.outer);
}

// The pattern over the whole virtual screen, and a copy of the screen showing it.
class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        screen_ = VirtualScreen();
        monitors_ = Monitors();
        backdrop_ = PatternWindow(screen_);
        ASSERT_TRUE(backdrop_);
        before_ = CopyScreen(screen_);
    }

    RECT screen_{};
    std::vector<RECT> monitors_;
    qel::UniqueHwnd backdrop_;
    ScreenCopy before_;
};

}  // namespace tooltest
