// Every kind of capture repeated in one process: each call gives its result, and afterwards the process holds
// no more memory, heap, GDI or USER objects or handles than before, within a bound per call that one leaked
// 200 x 200 32-bit bitmap (160,000 bytes), object or handle per call exceeds.
// QEL_SOAK_CALLS="PLAIN,INTERACTIVE" sets the counted calls (default 200 and 20); scripts/soak.sh raises them.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>
#include <QelPictavo/FlashingWnd.h>
#include <QelPictavo/MouseCaptureWnd.h>
#include <QelPictavo/PictavoUtil.h>

#include <cstdio>
#include <functional>
#include <string>

#include "PopupMenuThread.h"
#include "ResourceMeter.h"
#include "ScrollTargetProcess.h"
#include "ToolInput.h"
#include "WindowTestSupport.h"
#include "capture/Dib.h"
#include "tests/selection/CaptureFormTestSupport.h"

using namespace formtest;

namespace {

struct CallCounts {
    int plain = 200, interactive = 20;
};

CallCounts Counts() {
    CallCounts counts;
    char text[64];
    const DWORD length = ::GetEnvironmentVariableA("QEL_SOAK_CALLS", text, sizeof text);
    if (length && length < sizeof text) std::sscanf(text, "%d,%d", &counts.plain, &counts.interactive);
    return counts;
}

bool Is32Bit(const UniqueDib& dib) { return dib && dib->biBitCount == 32 && dib->biWidth > 0 && dib->biHeight != 0; }

// Exposes the protected window copy, as a host's derived class would.
struct HostUtil : CPictavoUtil {
    using CPictavoUtil::DoCaptureFromWnd;
};

class Leak : public OverlayTest {
protected:
    // Far more than a capture makes at once, and than 200 calls leaking one each would take.
    qeltest::UserSlotsHeld userSlots_{2000};

    // Warms the kind up (caches, GDI+ state, fonts and window classes are made by the first calls), then
    // repeats it calls times. The growth allowed: a constant for what settles late, and a tenth of a leaked
    // bitmap, object or handle per call; heap blocks, which a leaked object of any size adds to, 32 bytes.
    void Soak(const char* kind, bool interactive, const std::function<bool(int)>& call) {
        const CallCounts counts = Counts();
        const int calls = interactive ? counts.interactive : counts.plain, warmUp = interactive ? 1 : 10;
        for (int i = 0; i < warmUp; ++i) ASSERT_TRUE(call(i)) << kind << ": warm-up call " << i;
        const qeltest::ResourceLevels start = qeltest::MeasureResources();
        const DWORD began = ::GetTickCount();
        int failed = 0;
        for (int i = 0; i < calls; ++i) failed += !call(i);
        const DWORD took = ::GetTickCount() - began;
        const qeltest::ResourceLevels end = qeltest::MeasureResources();

        const std::string growth = qeltest::DescribeGrowth(start, end, calls);
        std::printf("[soak] %s: %d calls, %lu ms each; %s\n", kind, calls, calls ? took / calls : 0ul, growth.c_str());
        std::fflush(stdout);
        RecordProperty("calls", calls);
        const struct { const char* name; long long from, to; } figures[] = {
            {"committed", start.committedBytes, end.committedBytes}, {"heap", start.heapBytes, end.heapBytes},
            {"gdi_free", start.gdiFree, end.gdiFree}, {"user_free", start.userFree, end.userFree},
            {"handles", start.handles, end.handles}};
        for (const auto& f : figures) {
            RecordProperty(std::string(f.name) + "_start", std::to_string(f.from));
            RecordProperty(std::string(f.name) + "_end", std::to_string(f.to));
        }
        EXPECT_EQ(failed, 0) << kind << ": calls without a result";
        const long long perCallBytes = 16000, objects = 2 + calls / 10;
        EXPECT_LE(end.committedBytes - start.committedBytes, (1 << 20) + perCallBytes * calls) << growth;
        EXPECT_LE(end.heapBytes - start.heapBytes, (16 << 10) + 32LL * calls) << growth;
        EXPECT_LE(start.gdiFree - end.gdiFree, objects) << growth;
        EXPECT_LE(start.userFree - end.userFree, objects) << growth;
        EXPECT_TRUE(start.handles >= 0 && end.handles - start.handles <= objects) << growth;
    }

    // A call that shows an overlay while script plays its input on a second thread.
    static UniqueDib WithInput(const std::function<BITMAPINFOHEADER*()>& call, std::function<void()> script) {
        InputScript input(std::move(script));
        UniqueDib dib(call());
        input.Join();
        return dib;
    }

    POINT At(int dx, int dy) const { return POINT{monitors_[0].left + dx, monitors_[0].top + dy}; }
};

TEST_F(Leak, NonInteractiveCaptures) {
    Soak("monitor", false, [](int i) { return Is32Bit(UniqueDib(CPictavoUtil().CaptureFullScreen(i % 2))); });

    wintest::TestWindow front = wintest::TopLevel(L"Leak target", wintest::At(300, 200, 500, 400));
    ::SetForegroundWindow(front.get());
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == front.get(); }));
    Soak("foreground window", false, [](int i) { return Is32Bit(UniqueDib(CPictavoUtil().CaptureActiveWindow(i % 2))); });
    Soak("window copy", false, [&](int i) {
        return Is32Bit(UniqueDib(HostUtil::DoCaptureFromWnd(CWnd::FromHandle(front.get()), i % 2)));
    });

    // The menu's loop holds the mouse: the pointer goes onto the menu before it opens.
    const POINT menuAt = At(700, 300);
    MoveMouse(POINT{menuAt.x + 20, menuAt.y + 8});
    {
        qeltest::OpenMenu menu(menuAt);
        ASSERT_TRUE(PumpUntil([] { return !qeltest::VisibleMenus().empty(); }));
        Soak("menu", false, [](int i) { return Is32Bit(UniqueDib(CPictavoUtil().CaptureMenuObject(i % 2))); });
    }

    Soak("flashing frame", false, [](int i) {
        RECT area{400, 300, 640, 460};
        CFlashingWnd frame;
        if (!frame.CreateFlashing(L"flash", area, i % 2)) return false;
        frame.ShowWindow(SW_SHOWNOACTIVATE);
        frame.StartFlashing();
        frame.OnTimer(1);  // one tick's paint, without waiting 100 ms for it
        frame.StopFlashing();
        return frame.DestroyWindow() != FALSE;
    });
}

TEST_F(Leak, ScrollingCapture) {
    scrolltest::ScrollTargetOptions o;
    o.contentWidth = 400, o.contentHeight = 700, o.clientWidth = 400, o.clientHeight = 300, o.line = 100;
    scrolltest::ScrollTargetProcess target(o);
    ASSERT_TRUE(target.Hwnd() && target.Foreground());
    Soak("scrolling", false, [&](int) {
        // Asked again only when lost: each asking has the window system hand the focus over anew.
        if (::GetForegroundWindow() != target.Hwnd()) target.Foreground();
        return Is32Bit(UniqueDib(CPictavoUtil().CaptureActiveScrollWindow(0, 1, 0)));
    });
}

TEST_F(Leak, InteractiveCaptures) {
    const POINT a = At(200, 150), b = At(460, 330), c = At(300, 420);
    const struct { const char* kind; int shape; } regions[] = {{"rectangle region", 1}, {"ellipse region", 2}, {"rounded region", 3}};
    for (const auto& r : regions)
        Soak(r.kind, true, [&](int) {
            return Is32Bit(WithInput([&] { return CPictavoUtil().CaptureShapeRegion(0, r.shape); },
                                     [&] { if (WaitForOverlay()) Drag(a, b); }));
        });
    Soak("fixed region", true, [&](int) {
        return Is32Bit(WithInput([] { return CPictavoUtil().CaptureFixedRegion(0, 0, 200, 120); },
                                 [&] { if (WaitForOverlay()) MoveTo(b, 100), Click(); }));
    });
    Soak("polygon", true, [&](int) {
        return Is32Bit(WithInput([] { return CPictavoUtil().CaptureShapeRegion(0, 5); }, [&] {
            if (!WaitForOverlay()) return;
            for (const POINT p : {a, b, c}) MoveTo(p, 100), Click();
            Click();  // the second click of a double click closes the outline
        }));
    });
    Soak("free-hand", true, [&](int) {
        return Is32Bit(WithInput([] { return CPictavoUtil().CaptureShapeRegion(0, 6); }, [&] {
            if (!WaitForOverlay()) return;
            MoveTo(a, 100), MouseButton(MOUSEEVENTF_LEFTDOWN);
            for (const POINT p : {b, c}) MoveTo(p, 40);
            MouseButton(MOUSEEVENTF_LEFTUP), Key(VK_RETURN);
        }));
    });
    // A window of another process, which the pick copies again a second after the overlay has gone.
    scrolltest::ScrollTargetOptions o;
    o.x = 900, o.y = 200;
    scrolltest::ScrollTargetProcess target(o);
    ASSERT_TRUE(target.Hwnd());
    const RECT client = scrolltest::ClientOnScreen(target.Hwnd());
    Soak("window pick", true, [&](int) {
        return Is32Bit(WithInput([] { return CPictavoUtil().CaptureWindowObject(0); }, [&] {
            if (WaitForOverlay()) MoveTo(POINT{(client.left + client.right) / 2, (client.top + client.bottom) / 2}, 100), Click();
        }));
    });
    Soak("colour picker", true, [&](int) {
        return Pick(b, POINT{b.x + 32, b.y + 40}, [] { Click(); }) != 0xFFFFFFFFu;
    });
    Soak("area selector", true, [&](int i) {
        const CRect area(a.x, a.y, b.x, b.y);
        MoveMouse(area.CenterPoint());
        CMouseCaptureWnd selector(eRecordFixedArea, area);
        if (!selector.CreateShiftWindow()) return false;
        MoveMouse(area.CenterPoint().x + 40 + i % 7, area.CenterPoint().y + 30);  // the frame and its label follow
        Click();
        const bool chosen = RunSelectorLoop(selector) == 1 && !selector.GetCaptureArea().IsRectEmpty();
        selector.DestroyWindow();
        return chosen;
    });
}

}  // namespace
