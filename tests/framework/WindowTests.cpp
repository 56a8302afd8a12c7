// Message maps and window binding, on real windows.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ExportedTestWnd.h"
#include "Handles.h"
#include "TestSupport.h"

namespace {

constexpr UINT WM_BASE_ONLY = WM_APP + 1;
constexpr UINT WM_OVERRIDDEN = WM_APP + 2;
constexpr UINT WM_THROWS = WM_APP + 3;
const UINT g_registered = ::RegisterWindowMessageW(L"QelFramework.Tests.Registered");

class CBaseTestWnd : public CWnd {
public:
    BOOL Create(LPCWSTR title = L"base title") {
        return CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), title, WS_POPUP, 0, 0, 100, 80, nullptr, nullptr);
    }
    std::vector<std::string> calls;
    UINT keyChar = 0, keyRepeat = 0, keyFlags = 0;

protected:
    afx_msg void OnMouseMove(UINT, CPoint) { calls.push_back("base move"); }
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags) {
        keyChar = ch;
        keyRepeat = repeat;
        keyFlags = flags;
        CWnd::OnKeyDown(ch, repeat, flags);
    }
    LRESULT OnBaseOnly(WPARAM wParam, LPARAM) { return 100 + static_cast<LRESULT>(wParam); }
    LRESULT OnOverridden(WPARAM, LPARAM) { return 1; }
    LRESULT OnRegistered(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam) * lParam; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestWnd, CWnd)
    ON_WM_MOUSEMOVE()
    ON_WM_KEYDOWN()
    ON_MESSAGE(WM_BASE_ONLY, &CBaseTestWnd::OnBaseOnly)
    ON_MESSAGE(WM_OVERRIDDEN, &CBaseTestWnd::OnOverridden)
    ON_REGISTERED_MESSAGE(g_registered, &CBaseTestWnd::OnRegistered)
END_MESSAGE_MAP()

class CDerivedTestWnd : public CBaseTestWnd {
public:
    UINT mouseFlags = 0;
    CPoint mousePoint;

protected:
    afx_msg void OnMouseMove(UINT flags, CPoint point) {
        calls.push_back("derived move");
        mouseFlags = flags;
        mousePoint = point;
    }
    LRESULT OnOverridden(WPARAM, LPARAM) { return 2; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTestWnd, CBaseTestWnd)
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(WM_OVERRIDDEN, &CDerivedTestWnd::OnOverridden)
END_MESSAGE_MAP()

}  // namespace

TEST(MessageMap, DerivedMapWinsAndUnmappedMessagesGetDefaultProcessing) {
    CDerivedTestWnd w;
    ASSERT_TRUE(w.Create());
    ASSERT_EQ(CWnd::FromHandlePermanent(w.m_hWnd), &w);

    w.SendMessage(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 7));
    EXPECT_EQ(w.calls, std::vector<std::string>{"derived move"});
    EXPECT_EQ(w.mouseFlags, static_cast<UINT>(MK_LBUTTON | MK_SHIFT));
    EXPECT_EQ(w.mousePoint, CPoint(-5, 7));  // coordinates are signed

    // Repeat count in the low word, scan code and extended-key bit in the high word.
    w.SendMessage(WM_KEYDOWN, 'A', 3 | (0x1E << 16) | (1 << 24));
    EXPECT_EQ(w.keyChar, static_cast<UINT>('A'));
    EXPECT_EQ(w.keyRepeat, 3u);
    EXPECT_EQ(w.keyFlags, 0x11Eu);

    EXPECT_EQ(w.SendMessage(WM_OVERRIDDEN), 2);
    EXPECT_EQ(w.SendMessage(WM_BASE_ONLY, 5), 105);
    EXPECT_EQ(w.SendMessage(g_registered, 6, 7), 42);

    wchar_t text[32] = L"";
    EXPECT_EQ(w.SendMessage(WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text)), 10);
    EXPECT_STREQ(text, L"base title");
    CRect r;
    w.GetWindowRect(&r);
    EXPECT_EQ(w.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(r.left + 5, r.top + 5)), HTCLIENT);
    EXPECT_EQ(w.SendMessage(WM_APP + 40), 0);

    CBaseTestWnd b;
    ASSERT_TRUE(b.Create());
    b.SendMessage(WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(b.calls, std::vector<std::string>{"base move"});
    EXPECT_EQ(b.SendMessage(WM_OVERRIDDEN), 1);
}

namespace {

class CLocalFromExported : public CExportedTestWnd {
public:
    int localClicks = 0;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point) {
        ++localClicks;
        CExportedTestWnd::OnLButtonDown(flags, point);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLocalFromExported, CExportedTestWnd)
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

}  // namespace

TEST(MessageMap, ClassExportedFromAnotherModuleKeepsItsMapAndRuntimeClass) {
    CLocalFromExported w;
    ASSERT_TRUE(w.CreateHidden());  // created by code in the other DLL, for an object of this module

    w.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    EXPECT_EQ(w.localClicks, 1);
    EXPECT_EQ(w.clicks, 1);
    w.SendMessage(WM_TIMER, 9);
    EXPECT_EQ(w.timers, 1);
    EXPECT_EQ(w.SendMessage(CExportedTestWnd::WM_EXPORTED_PING, 2, 3), 5);

    EXPECT_TRUE(w.IsKindOf(RUNTIME_CLASS(CExportedTestWnd)));
    EXPECT_TRUE(w.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_TRUE(w.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(w.IsKindOf(RUNTIME_CLASS(CWinThread)));
    EXPECT_STREQ(w.GetRuntimeClass()->m_lpszClassName, "CExportedTestWnd");

    // One class per set of arguments, whichever module asks.
    wchar_t className[128] = L"";
    ::GetClassNameW(w.m_hWnd, className, 128);
    LPCWSTR registered = AfxRegisterWndClass(CS_DBLCLKS);
    EXPECT_STREQ(className, registered);
    EXPECT_EQ(AfxRegisterWndClass(CS_DBLCLKS), registered);
    EXPECT_NE(AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW)), registered);
}

namespace {

class CLifetimeWnd : public CWnd {
public:
    bool refuse = false;
    bool throwOnCreate = false;
    int postNcDestroy = 0;

    BOOL Create(LPCWSTR className = nullptr) {
        return CreateEx(0, className ? className : AfxRegisterWndClass(0), L"lifetime", WS_POPUP, 0, 0, 40, 40,
                        nullptr, nullptr);
    }

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs) {
        if (CWnd::OnCreate(cs) == -1) return -1;
        if (throwOnCreate) throw std::runtime_error("creation failed");
        return refuse ? -1 : 0;
    }
    LRESULT OnThrows(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    LRESULT OnOverridden(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam) * 3; }
    void PostNcDestroy() override { ++postNcDestroy; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLifetimeWnd, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_THROWS, &CLifetimeWnd::OnThrows)
    ON_MESSAGE(WM_OVERRIDDEN, &CLifetimeWnd::OnOverridden)
END_MESSAGE_MAP()

}  // namespace

TEST(Window, CreationRefusedOrFailingLeavesAReusableObject) {
    CLifetimeWnd w;
    w.refuse = true;
    EXPECT_FALSE(w.Create());
    EXPECT_EQ(w.m_hWnd, nullptr);
    EXPECT_EQ(w.postNcDestroy, 1);  // the window existed briefly and was torn down

    w.refuse = false;
    w.throwOnCreate = true;  // an exception fails creation and goes no further
    EXPECT_FALSE(w.Create());
    EXPECT_EQ(w.m_hWnd, nullptr);

    w.throwOnCreate = false;
    ASSERT_TRUE(w.Create());
    EXPECT_FALSE(w.Create());  // one window per object
    EXPECT_EQ(w.SendMessage(WM_THROWS), 0);
    EXPECT_EQ(w.SendMessage(WM_OVERRIDDEN, 4), 12);  // still dispatching after the exception

    const HWND h = w.m_hWnd;
    EXPECT_TRUE(w.DestroyWindow());
    EXPECT_EQ(w.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    EXPECT_EQ(w.postNcDestroy, 3);

    // Deleting an object whose window still exists takes the window with it.
    auto* owned = new CLifetimeWnd;
    ASSERT_TRUE(owned->Create());
    const HWND ownedWnd = owned->m_hWnd;
    delete owned;
    EXPECT_FALSE(::IsWindow(ownedWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(ownedWnd), nullptr);
}

TEST(Window, ForeignClassIsSubclassedAndGivenBackAtDestruction) {
    CLifetimeWnd w;
    ASSERT_TRUE(w.Create(L"STATIC"));
    EXPECT_EQ(::GetWindowLongPtrW(w.m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&AfxWndProc));
    EXPECT_EQ(w.SendMessage(WM_OVERRIDDEN, 5), 15);  // mapped: ours
    wchar_t text[32] = L"";
    w.SendMessage(WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text));  // unmapped: the class's own procedure
    EXPECT_STREQ(text, L"lifetime");
    EXPECT_EQ(w.GetStyle() & WS_POPUP, static_cast<DWORD>(WS_POPUP));
    const HWND h = w.m_hWnd;
    EXPECT_EQ(w.UnsubclassWindow(), h);
    EXPECT_NE(::GetWindowLongPtrW(h, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&AfxWndProc));
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    qel::UniqueHwnd cleanup(h);

    // Attach binds without routing messages; the object then owns the window.
    CWnd attached;
    ASSERT_TRUE(attached.Attach(h));
    EXPECT_EQ(CWnd::FromHandle(h), &attached);
    EXPECT_EQ(attached.Detach(), h);
}

TEST(Window, TemporaryWrappersNeverOwnAndAreFreedAtIdle) {
    qel::UniqueHwnd foreign(::CreateWindowExW(0, L"STATIC", L"foreign", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                              nullptr, nullptr));
    ASSERT_TRUE(foreign);
    CWnd* temp = CWnd::FromHandle(foreign.get());
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->m_hWnd, foreign.get());
    EXPECT_EQ(CWnd::FromHandle(foreign.get()), temp);
    EXPECT_EQ(CWnd::FromHandlePermanent(foreign.get()), nullptr);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    CDC* dc = temp->GetDC();  // left for the wrapper to release
    ASSERT_NE(dc, nullptr);

    AfxDeleteTempMaps();  // no window procedure or modal loop running: frees the wrappers
    EXPECT_TRUE(::IsWindow(foreign.get()));
    wchar_t text[16] = L"";
    ::GetWindowTextW(foreign.get(), text, 16);
    EXPECT_STREQ(text, L"foreign");

    CBaseTestWnd own;
    ASSERT_TRUE(own.Create());
    EXPECT_EQ(CWnd::FromHandle(own.m_hWnd), &own);
}

namespace {

class CTimerWnd : public CWnd {
public:
    std::vector<UINT_PTR> ticks;

protected:
    afx_msg void OnTimer(UINT_PTR id) {
        ticks.push_back(id);
        CWnd::OnTimer(id);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTimerWnd, CWnd)
    ON_WM_TIMER()
END_MESSAGE_MAP()

}  // namespace

TEST(Timer, DeliversItsIdUntilKilled) {
    CTimerWnd w;
    ASSERT_TRUE(w.CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(w.SetTimer(7, 10), 7u);
    const DWORD start = ::GetTickCount();
    while (w.ticks.size() < 3 && ::GetTickCount() - start < 3000) qeltest::PumpFor(20);
    ASSERT_GE(w.ticks.size(), 3u);
    for (UINT_PTR id : w.ticks) EXPECT_EQ(id, 7u);
    EXPECT_TRUE(w.KillTimer(7));
    qeltest::PumpFor(50);  // a tick already queued may still arrive
    const size_t after = w.ticks.size();
    qeltest::PumpFor(150);
    EXPECT_EQ(w.ticks.size(), after);
    EXPECT_FALSE(w.KillTimer(7));
}

namespace {

constexpr COLORREF kErase = RGB(10, 200, 30);
constexpr COLORREF kFill = RGB(220, 40, 90);
constexpr COLORREF kLight = RGB(255, 255, 0);
constexpr COLORREF kDark = RGB(0, 0, 255);

class CPaintingWnd : public CWnd {
public:
    COLORREF fill = kFill;
    int paints = 0;

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* dc) {
        CBrush brush(kErase);
        CBrush* old = dc->SelectObject(&brush);
        CRect clip;
        dc->GetClipBox(&clip);
        dc->PatBlt(&clip, PATCOPY);
        dc->SelectObject(old);
        return TRUE;
    }
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(30, 20, 60, 50, fill);
        dc.Draw3dRect(&client, kLight, kDark);
        ++paints;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintingWnd, CWnd)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

COLORREF ScreenPixel(int x, int y) {
    qel::WindowDc screen(nullptr);
    return ::GetPixel(screen.get(), x, y);
}

}  // namespace

TEST(Paint, PaintAndEraseHandlersReachTheScreen) {
    const int x = 300, y = 250, w = 120, h = 90;
    CPaintingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW), L"",
                             WS_POPUP, CRect(x, y, x + w, y + h), nullptr, 0));
    wnd.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    wnd.UpdateWindow();
    qeltest::PumpFor(200);
    EXPECT_GE(wnd.paints, 1);
    EXPECT_EQ(ScreenPixel(x + 60, y + 45), kFill);
    EXPECT_EQ(ScreenPixel(x + 10, y + 10), kErase);
    EXPECT_EQ(ScreenPixel(x, y), kLight);
    EXPECT_EQ(ScreenPixel(x + w - 1, y), kDark);  // the dark edges own the two far corners
    EXPECT_EQ(ScreenPixel(x, y + h - 1), kDark);
    EXPECT_EQ(ScreenPixel(x + w - 1, y + h - 1), kDark);

    EXPECT_TRUE(wnd.GetExStyle() & WS_EX_TOPMOST);
    wnd.SetWindowPos(&CWnd::wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_FALSE(wnd.GetExStyle() & WS_EX_TOPMOST);
    wnd.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(wnd.GetExStyle() & WS_EX_TOPMOST);

    wnd.fill = RGB(0, 0, 0);
    wnd.Invalidate(FALSE);
    wnd.UpdateWindow();
    qeltest::PumpFor(200);
    EXPECT_EQ(ScreenPixel(x + 60, y + 45), RGB(0, 0, 0));
}
