#include "CaptureFormTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "GdiplusHandles.h"
#include "capture/CaptureSettings.h"
#include "module/ModuleState.h"
#include "windows/ScreenGeometry.h"

namespace formtest {

HWND OverlayAt(POINT p) {
    HWND wnd = ::WindowFromPoint(p);
    if (wnd) wnd = ::GetAncestor(wnd, GA_ROOT);
    return wnd && qel::IgnoredWindows().Contains(wnd) && ::IsWindowVisible(wnd) ? wnd : nullptr;
}

bool WaitForOverlayGone(DWORD timeoutMs) {
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < timeoutMs; ::Sleep(10))
        if (!OverlayAt(POINT{10, 10})) return true;
    return false;
}

HWND WaitForOverlay() {
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 10000; ::Sleep(10))
        if (HWND overlay = OverlayAt(POINT{10, 10})) {
            RECT shown{};
            ::GetWindowRect(overlay, &shown);
            qeltest::WaitForWindowOnScreen(overlay, shown);
            return overlay;
        }
    return nullptr;
}

InputScript::InputScript(std::function<void()> body)
    : thread_([this, body = std::move(body)] {
          body();
          // Whatever the script did, the loop on the test thread must end, even for an overlay that shows
          // only now. Input sent last is still on its way (a posted key would overtake it), so the overlay
          // gets time to close by itself first.
          WaitForOverlayGone(3000);
          for (const DWORD start = ::GetTickCount(); !finished_; ::Sleep(200)) {
              if (const HWND overlay = OverlayAt(POINT{10, 10})) ::PostMessageW(overlay, WM_KEYDOWN, VK_ESCAPE, 0);
              // A call that Escape cannot end would hang the test until the runner's own limit: end it here.
              if (::GetTickCount() - start > 60000) {
                  std::fprintf(stderr, "FAILED: the call did not return within 60 s of the end of its input\n");
                  std::fflush(stderr);
                  ::TerminateProcess(::GetCurrentProcess(), 3);
              }
          }
      }) {}

void MoveTo(POINT p, DWORD settleMs) {
    MoveMouse(p.x, p.y);
    ::Sleep(settleMs);
}

void Key(WORD vk, DWORD settleMs) {
    qeltest::PressKey(vk);
    ::Sleep(settleMs);
}

void HoldKey(WORD vk, bool down) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki = KEYBDINPUT{vk, 0, DWORD(down ? 0 : KEYEVENTF_KEYUP), 0, 0};
    ::SendInput(1, &in, sizeof(in));
    ::Sleep(60);
}

DWORD Blend(DWORD background, DWORD color, int alpha) {
    DWORD out = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= DWORD(((color >> shift & 0xFF) * alpha + (background >> shift & 0xFF) * (255 - alpha) + 127) / 255) << shift;
    return out;
}

bool Near(DWORD a, DWORD b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > tolerance) return false;
    return true;
}

testing::AssertionResult DibMatches(const BITMAPINFOHEADER* dib, POINT origin,
                                    const std::function<DWORD(int, int)>& expected) {
    std::string first;
    const int wrong = screentest::CountDibMismatches(dib, origin.x, origin.y, expected, &first);
    if (!wrong) return testing::AssertionSuccess();
    return testing::AssertionFailure() << wrong << " pixels differ, first " << first;
}

void OverlayTest::SetUp() {
    ASSERT_TRUE(qel::EnsureGdiplus());
    CaptureSettings::Get().CaptureDelay = 0;
    CaptureSettings::Get().ZoomerEnabled = true;
    for (const MonitorEntry& m : ScreenGeometry::ListMonitors())
        monitors_.push_back(RECT{m.bounds.X, m.bounds.Y, m.bounds.X + m.bounds.Width, m.bounds.Y + m.bounds.Height});
    ASSERT_FALSE(monitors_.empty());
}

void OverlayTest::TearDown() { CaptureSettings::Get().CaptureDelay = 100; }

POINT OverlayTest::On(size_t monitor, int dx, int dy) const {
    const RECT& m = monitors_[std::min(monitor, monitors_.size() - 1)];
    return POINT{m.left + dx, m.top + dy};
}

}  // namespace formtest
