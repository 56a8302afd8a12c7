// Message maps, window binding and lifetime, and timers, on real windows.
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

BOOL CreatePopup(CWnd& w, LPCWSTR title, LPCWSTR className = nullptr) {
    return w.CreateEx(0, className ? className : AfxRegisterWndClass(CS_DBLCLKS), title, WS_POPUP, 0, 0, 100, 80,
                      nullptr, nullptr);
}

class CBaseTestWnd : public CWnd {
public:
    std::vector<std::string> calls;
    UINT keyChar = 0, keyRepeat = 0, keyFlags = 0;

protected:
    afx_msg void OnMouseMove(UINT, CPoint) { calls.push_back("base move"); }
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags) {
        keyChar = ch;
        keyRepeat = repeat;
        keyFlags = flags;
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

TEST(MessageMap, DerivedMapWinsWithTypedArgumentsAndUnmappedMessagesGetDefaultProcessing) {
    CDerivedTestWnd w;
    ASSERT_TRUE(CreatePopup(w, L"base title"));
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

    CBaseTestWnd b;
    ASSERT_TRUE(CreatePopup(b, L"base"));
    b.SendMessage(WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(b.calls, std::vector<std::string>{"base move"});
    EXPECT_EQ(b.SendMessage(WM_OVERRIDDEN), 1);
}

TEST(MessageMap, ClassExportedFromAnotherModuleKeepsItsMapAndRuntimeClass) {
    CLocalFromExported w;
    ASSERT_TRUE(w.CreateHidden());  // created by code in the other DLL, for an object of this module
    w.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    EXPECT_EQ(w.localClicks, 1);
    EXPECT_EQ(w.clicks, 1);
    EXPECT_EQ(w.SendMessage(CExportedTestWnd::WM_EXPORTED_PING, 2, 3), 5);
    EXPECT_TRUE(w.IsKindOf(RUNTIME_CLASS(CExportedTestWnd)));
    EXPECT_FALSE(w.IsKindOf(RUNTIME_CLASS(CWinThread)));

    // One class per set of arguments, whichever module asks.
    wchar_t className[128] = L"";
    ::GetClassNameW(w.m_hWnd, className, 128);
    EXPECT_STREQ(className, AfxRegisterWndClass(CS_DBLCLKS));
    EXPECT_NE(AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW)), AfxRegisterWndClass(CS_DBLCLKS));
}

namespace {

class CProbeWnd : public CWnd {
public:
    bool refuse = false;
    bool throwOnCreate = false;
    int postNcDestroy = 0;
    std::vector<UINT_PTR> ticks;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs) {
        if (CWnd::OnCreate(cs) == -1) return -1;
        if (throwOnCreate) throw std::runtime_error("creation failed");
        return refuse ? -1 : 0;
    }
    afx_msg void OnTimer(UINT_PTR id) { ticks.push_back(id); }
    LRESULT OnThrows(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    LRESULT OnOverridden(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam) * 3; }
    void PostNcDestroy() override { ++postNcDestroy; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_TIMER()
    ON_MESSAGE(WM_THROWS, &CProbeWnd::OnThrows)
    ON_MESSAGE(WM_OVERRIDDEN, &CProbeWnd::OnOverridden)
END_MESSAGE_MAP()

}  // namespace

TEST(Window, CreationRefusedOrFailingLeavesAReusableObject) {
    CProbeWnd w;
    w.refuse = true;
    EXPECT_FALSE(CreatePopup(w, L"probe"));
    EXPECT_EQ(w.m_hWnd, nullptr);
    EXPECT_EQ(w.postNcDestroy, 1);  // the window existed briefly and was torn down
    w.refuse = false;
    w.throwOnCreate = true;  // an exception fails creation and goes no further
    EXPECT_FALSE(CreatePopup(w, L"probe"));
    EXPECT_EQ(w.m_hWnd, nullptr);

    w.throwOnCreate = false;
    ASSERT_TRUE(CreatePopup(w, L"probe"));
    EXPECT_FALSE(CreatePopup(w, L"probe"));  // one window per object
    EXPECT_EQ(w.SendMessage(WM_THROWS), 0);
    EXPECT_EQ(w.SendMessage(WM_OVERRIDDEN, 4), 12);  // still dispatching after the exception
    const HWND h = w.m_hWnd;
    EXPECT_TRUE(w.DestroyWindow());
    EXPECT_EQ(w.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    EXPECT_EQ(w.postNcDestroy, 3);

    // Deleting an object whose window still exists takes the window with it.
    auto* owned = new CProbeWnd;
    ASSERT_TRUE(CreatePopup(*owned, L"owned"));
    const HWND ownedWnd = owned->m_hWnd;
    delete owned;
    EXPECT_FALSE(::IsWindow(ownedWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(ownedWnd), nullptr);
}

TEST(Window, ForeignClassIsSubclassedAndTemporaryWrappersNeverOwn) {
    CProbeWnd w;
    ASSERT_TRUE(CreatePopup(w, L"probe", L"STATIC"));
    EXPECT_EQ(::GetWindowLongPtrW(w.m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&AfxWndProc));
    EXPECT_EQ(w.SendMessage(WM_OVERRIDDEN, 5), 15);  // mapped: ours
    wchar_t text[32] = L"";
    w.SendMessage(WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text));  // unmapped: the class's own procedure
    EXPECT_STREQ(text, L"probe");
    const HWND h = w.m_hWnd;
    EXPECT_EQ(w.UnsubclassWindow(), h);
    EXPECT_NE(::GetWindowLongPtrW(h, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&AfxWndProc));
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    qel::UniqueHwnd foreign(h);

    CWnd* temp = CWnd::FromHandle(h);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(CWnd::FromHandle(h), temp);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    ASSERT_NE(temp->GetDC(), nullptr);  // left for the wrapper to release
    AfxDeleteTempMaps();                // no window procedure or modal loop running: frees the wrappers
    EXPECT_TRUE(::IsWindow(h));
}

TEST(Timer, DeliversItsIdUntilKilled) {
    CProbeWnd w;
    ASSERT_TRUE(CreatePopup(w, L""));
    EXPECT_EQ(w.SetTimer(7, 10), 7u);
    const DWORD start = ::GetTickCount();
    while (w.ticks.size() < 3 && ::GetTickCount() - start < 3000) qeltest::PumpFor(20);
    ASSERT_GE(w.ticks.size(), 3u);
    EXPECT_EQ(w.ticks, std::vector<UINT_PTR>(w.ticks.size(), 7));
    EXPECT_TRUE(w.KillTimer(7));
    qeltest::PumpFor(50);  // a tick already queued may still arrive
    const size_t after = w.ticks.size();
    qeltest::PumpFor(150);
    EXPECT_EQ(w.ticks.size(), after);
    EXPECT_FALSE(w.KillTimer(7));
}
