#pragma once
// Known backdrops for the tests of the selector, the flashing frame and
// the colour picker.
#include <gtest/gtest.h>
#include <windows.h>

#include <QelFramework/Framework.h>

#include <ostream>
#include <string>
#include <vector>

#include "Handles.h"
#include "ScreenInput.h"
#include "tools/ToolGeometry.h"

inline void PrintTo(const CRect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace tooltest {

using qeltest::Click;
using qeltest::CopyScreen;
using qeltest::CountDifferences;
using qeltest::MouseButton;
using qeltest::MoveMouse;
using qeltest::PressKey;
using qeltest::SaveScreenPng;
using qeltest::ScreenCopy;
using qeltest::VirtualScreen;

std::vector<RECT> Monitors();

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
