#pragma once
// Driving the capture form with real input: the form runs its modal loop on the test thread (inside an
// exported call or RunForm), so the input comes from a second thread, as a user's would.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "ScreenInput.h"
#include "tests/windows/ScreenTestWindows.h"

namespace formtest {

using namespace qeltest;

// The overlay window covering p, or null: the library's overlays are the windows on its ignore list.
HWND OverlayAt(POINT p);
// Waits until an overlay covers the primary monitor and has had time to reach the screen; null on timeout.
HWND WaitForOverlay();
bool WaitForOverlayGone(DWORD timeoutMs = 10000);

// Runs body on its own thread. Whatever body leaves behind, the overlay is then cancelled (Escape),
// so that the test thread's modal loop always ends.
class InputScript {
public:
    explicit InputScript(std::function<void()> body);
    ~InputScript() { Join(); }
    // Call once the call that runs the overlay has returned.
    void Join() {
        finished_ = true;
        if (thread_.joinable()) thread_.join();
    }

private:
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

// Real input with the pauses a user's hand leaves: the form reads the mouse on its 33 ms tick.
void MoveTo(POINT p, DWORD settleMs = 60);
void Key(WORD vk, DWORD settleMs = 120);
void HoldKey(WORD vk, bool down);  // Ctrl and Shift

// 0x00RRGGBB of a colour blended over background with alpha (0..255), as GDI+ composites it.
DWORD Blend(DWORD background, DWORD color, int alpha);
bool Near(DWORD a, DWORD b, int tolerance);

using screentest::DibArgb;
// What the frozen screen holds at (sx, sy) under screentest::PatternScreens, 0xAARRGGBB and 0x00RRGGBB.
inline DWORD Frozen(int sx, int sy) { return screentest::ExpectedScreenPixel(sx, sy); }
inline DWORD FrozenRgb(int sx, int sy) { return Frozen(sx, sy) & 0xFFFFFF; }
// Whether every pixel of a 32-bit DIB taken at screen point origin is expected(sx, sy) (0xAARRGGBB).
testing::AssertionResult DibMatches(const BITMAPINFOHEADER* dib, POINT origin,
                                    const std::function<DWORD(int, int)>& expected);

// GDI+ started, no capture delay (restored afterwards), the magnifier on, the monitors (screen
// coordinates) listed as the library lists them.
class OverlayTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A point inside the monitor, or inside the last one where there are fewer.
    POINT On(size_t monitor, int dx, int dy) const;
    // Runs a call that shows an overlay while script plays on a second thread.
    template <typename Call> auto Run(Call call, std::function<void()> script) {
        // Pattern windows of this thread repaint where the last overlay was only while it pumps.
        PumpFor(300);
        InputScript input(std::move(script));
        auto result = call();
        input.Join();
        return result;
    }
    std::vector<RECT> monitors_;
};

}  // namespace formtest
