// Message maps (across modules too), window binding and lifetime, and the modal loop's rarer endings, on
// real windows. The thread's hooks and resource lookup run in every overlay test.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ExportedTestWnd.h"

namespace {

constexpr UINT WM_BASE_ONLY = WM_APP + 1;
constexpr UINT WM_OVERRIDDEN = WM_APP + 2;
constexpr UINT WM_THROWS = WM_APP + 3;

BOOL CreatePopup(CWnd& w, LPCWSTR title) {
    return w.CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), title, WS_POPUP, 0, 0, 100, 80, nullptr, nullptr);
}

class CBaseTestWnd : public CWnd {
public:
    std::vector<std::string> calls;

protected:
    afx_msg void OnMouseMove(UINT, CPoint) { calls.push_back("base move"); }
    LRESULT OnBaseOnly(WPARAM wParam, LPARAM) { return 100 + static_cast<LRESULT>(wParam); }
    LRESULT OnOverridden(WPARAM, LPARAM) { return 1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestWnd, CWnd)
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(WM_BASE_ONLY, &CBaseTestWnd::OnBaseOnly)
    ON_MESSAGE(WM_OVERRIDDEN, &CBaseTestWnd::OnOverridden)
END_MESSAGE_MAP()

// Overrides some of its base's handlers, and can refuse or fail its creation.
class CDerivedTestWnd : public CBaseTestWnd {
public:
    UINT mouseFlags = 0;
    CPoint mousePoint;
    bool refuse = false, throwOnCreate = false;
    int postNcDestroy = 0;

protected:
    afx_msg void OnMouseMove(UINT flags, CPoint point) {
        calls.push_back("derived move");
        mouseFlags = flags;
        mousePoint = point;
    }
    afx_msg int OnCreate(LPCREATESTRUCT cs) {
        if (CWnd::OnCreate(cs) == -1) return -1;
        if (throwOnCreate) throw std::runtime_error("creation failed");
        return refuse ? -1 : 0;
    }
    LRESULT OnThrows(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    LRESULT OnOverridden(WPARAM, LPARAM) { return 2; }
    void PostNcDestroy() override { ++postNcDestroy; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTestWnd, CBaseTestWnd)
    ON_WM_MOUSEMOVE()
    ON_WM_CREATE()
    ON_MESSAGE(WM_THROWS, &CDerivedTestWnd::OnThrows)
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
    EXPECT_TRUE(w.mouseFlags == (MK_LBUTTON | MK_SHIFT) && w.mousePoint == CPoint(-5, 7));  // signed coordinates
    EXPECT_TRUE(w.SendMessage(WM_OVERRIDDEN) == 2 && w.SendMessage(WM_BASE_ONLY, 5) == 105);
    EXPECT_EQ(w.SendMessage(WM_GETTEXTLENGTH), 10);  // unmapped: default processing

    // A class exported from another module keeps its map and runtime class for an object of this module.
    CLocalFromExported x;
    ASSERT_TRUE(x.CreateHidden());  // created by code in the other DLL
    x.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    EXPECT_TRUE(x.localClicks == 1 && x.clicks == 1);
    EXPECT_TRUE(x.IsKindOf(RUNTIME_CLASS(CExportedTestWnd)) && !x.IsKindOf(RUNTIME_CLASS(CWinThread)));
}

TEST(Window, CreationRefusedOrFailingLeavesAReusableObject) {
    CDerivedTestWnd w;
    w.refuse = true;
    EXPECT_FALSE(CreatePopup(w, L"probe"));
    EXPECT_TRUE(w.m_hWnd == nullptr && w.postNcDestroy == 1);  // the window existed briefly and was torn down
    w.refuse = false;
    w.throwOnCreate = true;  // an exception fails creation and goes no further
    EXPECT_FALSE(CreatePopup(w, L"probe"));
    EXPECT_EQ(w.m_hWnd, nullptr);
    w.throwOnCreate = false;
    ASSERT_TRUE(CreatePopup(w, L"probe"));
    EXPECT_FALSE(CreatePopup(w, L"probe"));  // one window per object
    EXPECT_EQ(w.SendMessage(WM_THROWS), 0);
    EXPECT_EQ(w.SendMessage(WM_OVERRIDDEN), 2);  // still dispatching after the exception
    const HWND h = w.m_hWnd;
    EXPECT_TRUE(w.DestroyWindow());
    EXPECT_TRUE(w.m_hWnd == nullptr && CWnd::FromHandlePermanent(h) == nullptr && w.postNcDestroy == 3);
    // Deleting an object whose window still exists takes the window with it.
    auto* owned = new CDerivedTestWnd;
    ASSERT_TRUE(CreatePopup(*owned, L"owned"));
    const HWND ownedWnd = owned->m_hWnd;
    delete owned;
    EXPECT_TRUE(!::IsWindow(ownedWnd) && CWnd::FromHandlePermanent(ownedWnd) == nullptr);
}

namespace {

constexpr UINT WM_ACTION = WM_APP + 10;
constexpr UINT_PTR kWatchdog = 99;

// Runs a scripted action when WM_ACTION arrives. A watchdog timer ends a loop that would
// otherwise hang, with a result no test expects.
class CModalWnd : public CWnd {
public:
    std::function<void(CModalWnd&)> action;
    bool deleteSelf = false;

    BOOL Create() {
        if (!CreateEx(0, AfxRegisterWndClass(0), L"modal", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr)) return FALSE;
        SetTimer(kWatchdog, 5000);
        return TRUE;
    }
    // Posts the action and runs the loop that will see it.
    int Run(std::function<void(CModalWnd&)> what) {
        action = std::move(what);
        PostMessage(WM_ACTION);
        return RunModalLoop();
    }

protected:
    LRESULT OnAction(WPARAM, LPARAM) {
        if (action) action(*this);
        return 0;
    }
    afx_msg void OnTimer(UINT_PTR id) {
        if (id == kWatchdog) EndModalLoop(-7);
    }
    void PostNcDestroy() override {
        if (deleteSelf) delete this;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CModalWnd, CWnd)
    ON_MESSAGE(WM_ACTION, &CModalWnd::OnAction)
    ON_WM_TIMER()
END_MESSAGE_MAP()

}  // namespace

// The ordinary endings (a result, Escape, a displacing overlay) run in every overlay test; these are the rest.
TEST(ModalLoop, KeepsAResultGivenBeforeTheWindowWentSurvivesItsObjectAndPassesQuitOn) {
    CModalWnd w;
    ASSERT_TRUE(w.Create());
    EXPECT_EQ(w.Run([](CModalWnd& self) {
        self.EndModalLoop(IDOK);
        self.DestroyWindow();
    }), IDOK);

    // The object deletes itself when its window goes: the loop must not touch it afterwards.
    auto* self = new CModalWnd;
    self->deleteSelf = true;
    ASSERT_TRUE(self->Create());
    EXPECT_EQ(self->Run([](CModalWnd& s) { s.DestroyWindow(); }), IDCANCEL);

    // Closed from another thread while the loop waits for messages.
    ASSERT_TRUE(w.Create());
    const HWND h = w.m_hWnd;
    std::thread closer([h] { ::Sleep(100); ::SendMessageW(h, WM_CLOSE, 0, 0); });
    EXPECT_EQ(w.RunModalLoop(), IDCANCEL);
    closer.join();
    EXPECT_FALSE(::IsWindow(h));

    // WM_QUIT ends a nested loop and reaches the outermost, which puts it back for the thread's own loop.
    CModalWnd inner;
    ASSERT_TRUE(w.Create() && inner.Create());
    MSG m{};
    while (::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) continue;
    int innerResult = 0;
    EXPECT_EQ(w.Run([&](CModalWnd&) { innerResult = inner.Run([](CModalWnd&) { ::PostQuitMessage(42); }); }), IDCANCEL);
    EXPECT_TRUE(innerResult == IDCANCEL && ::IsWindow(w.m_hWnd));
    ASSERT_TRUE(::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 42u);
}
