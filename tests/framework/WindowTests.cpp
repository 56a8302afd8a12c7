// Message maps, window binding and lifetime, timers, the modal loop (the ways it ends, WM_QUIT, nesting,
// the thread's hooks), thread objects and resources, on real windows.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ExportedTestWnd.h"
#include "Handles.h"
#include "TestSupport.h"

namespace {

constexpr UINT WM_BASE_ONLY = WM_APP + 1;
constexpr UINT WM_OVERRIDDEN = WM_APP + 2;
constexpr UINT WM_THROWS = WM_APP + 3;
const UINT g_registered = ::RegisterWindowMessageW(L"QelFramework.Tests.Registered");

BOOL CreatePopup(CWnd& w, LPCWSTR title) {
    return w.CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), title, WS_POPUP, 0, 0, 100, 80, nullptr, nullptr);
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

// Overrides some of its base's handlers, and can refuse or fail its creation.
class CDerivedTestWnd : public CBaseTestWnd {
public:
    UINT mouseFlags = 0;
    CPoint mousePoint;
    bool refuse = false, throwOnCreate = false;
    int postNcDestroy = 0;
    std::vector<UINT_PTR> ticks;

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
    afx_msg void OnTimer(UINT_PTR id) { ticks.push_back(id); }
    LRESULT OnThrows(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    LRESULT OnOverridden(WPARAM, LPARAM) { return 2; }
    void PostNcDestroy() override { ++postNcDestroy; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTestWnd, CBaseTestWnd)
    ON_WM_MOUSEMOVE()
    ON_WM_CREATE()
    ON_WM_TIMER()
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
    // Repeat count in the low word, scan code and extended-key bit in the high word.
    w.SendMessage(WM_KEYDOWN, 'A', 3 | (0x1E << 16) | (1 << 24));
    EXPECT_TRUE(w.keyChar == 'A' && w.keyRepeat == 3u && w.keyFlags == 0x11Eu);
    EXPECT_TRUE(w.SendMessage(WM_OVERRIDDEN) == 2 && w.SendMessage(WM_BASE_ONLY, 5) == 105);
    EXPECT_EQ(w.SendMessage(g_registered, 6, 7), 42);
    wchar_t text[32] = L"";
    EXPECT_EQ(w.SendMessage(WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text)), 10);
    EXPECT_STREQ(text, L"base title");
    CBaseTestWnd b;
    ASSERT_TRUE(CreatePopup(b, L"base"));
    b.SendMessage(WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(b.calls == std::vector<std::string>{"base move"} && b.SendMessage(WM_OVERRIDDEN) == 1);

    // A class exported from another module keeps its map and runtime class for an object of this module.
    CLocalFromExported x;
    ASSERT_TRUE(x.CreateHidden());  // created by code in the other DLL
    x.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    EXPECT_TRUE(x.localClicks == 1 && x.clicks == 1);
    EXPECT_EQ(x.SendMessage(CExportedTestWnd::WM_EXPORTED_PING, 2, 3), 5);
    EXPECT_TRUE(x.IsKindOf(RUNTIME_CLASS(CExportedTestWnd)) && !x.IsKindOf(RUNTIME_CLASS(CWinThread)));
    // One class per set of arguments, whichever module asks.
    wchar_t className[128] = L"";
    ::GetClassNameW(x.m_hWnd, className, 128);
    EXPECT_STREQ(className, AfxRegisterWndClass(CS_DBLCLKS));
    EXPECT_NE(AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW)), AfxRegisterWndClass(CS_DBLCLKS));
}

TEST(Window, CreationRefusedOrFailingLeavesAReusableObjectThatDispatchesAndTimes) {
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
    // A timer delivers its id until killed (a tick already queued may still arrive).
    EXPECT_EQ(w.SetTimer(7, 10), 7u);
    for (DWORD start = ::GetTickCount(); w.ticks.size() < 3 && ::GetTickCount() - start < 3000;) qeltest::PumpFor(20);
    EXPECT_TRUE(w.ticks.size() >= 3 && w.ticks == std::vector<UINT_PTR>(w.ticks.size(), 7));
    EXPECT_TRUE(w.KillTimer(7));
    qeltest::PumpFor(50);
    const size_t ticks = w.ticks.size();
    qeltest::PumpFor(150);
    EXPECT_EQ(w.ticks.size(), ticks);
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
constexpr UINT WM_EATEN_BY_THREAD = WM_APP + 11;
constexpr UINT_PTR kWatchdog = 99;

// Runs a scripted action when WM_ACTION arrives. A watchdog timer ends a loop that would
// otherwise hang, with a result no test expects.
class CModalWnd : public CWnd {
public:
    std::function<void(CModalWnd&)> action;
    bool deleteSelf = false;
    int handled[2] = {0, 0};  // WM_ACTION, WM_EATEN_BY_THREAD

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
        ++handled[0];
        if (action) action(*this);
        return 0;
    }
    LRESULT OnEatenByThread(WPARAM, LPARAM) { return ++handled[1]; }
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
    ON_MESSAGE(WM_EATEN_BY_THREAD, &CModalWnd::OnEatenByThread)
    ON_WM_TIMER()
END_MESSAGE_MAP()

// Sends a message to the window from another thread while its loop waits in GetMessage.
std::thread SendLater(HWND h, UINT message) {
    return std::thread([h, message] {
        ::Sleep(100);
        ::SendMessageW(h, message, 0, 0);
    });
}

}  // namespace

TEST(ModalLoop, EndsWithTheGivenResultOrCancelWhenTheWindowGoes) {
    CModalWnd w;
    ASSERT_TRUE(w.Create());
    for (int code : {IDOK, IDCANCEL}) {
        EXPECT_EQ(w.Run([code](CModalWnd& self) { self.EndModalLoop(code); }), code);
        EXPECT_TRUE(::IsWindow(w.m_hWnd) && !w.ContinueModal());  // ending the loop leaves the window to its owner
    }
    w.action = [](CModalWnd& self) { self.EndModalLoop(IDOK); };
    std::thread sender = SendLater(w.m_hWnd, WM_ACTION);
    EXPECT_EQ(w.RunModalLoop(), IDOK);
    sender.join();

    EXPECT_EQ(w.Run([](CModalWnd& self) { self.DestroyWindow(); }), IDCANCEL);
    ASSERT_TRUE(w.m_hWnd == nullptr && w.Create());
    EXPECT_EQ(w.Run([](CModalWnd& self) {
        self.EndModalLoop(IDOK);  // a result given before the window went stays the result
        self.DestroyWindow();
    }), IDOK);

    // The object deletes itself when its window goes: the loop must not touch it afterwards.
    auto* self = new CModalWnd;
    self->deleteSelf = true;
    ASSERT_TRUE(self->Create());
    EXPECT_EQ(self->Run([](CModalWnd& s) { s.DestroyWindow(); }), IDCANCEL);

    ASSERT_TRUE(w.Create());
    const HWND h = w.m_hWnd;
    std::thread closer = SendLater(h, WM_CLOSE);
    EXPECT_EQ(w.RunModalLoop(), IDCANCEL);
    closer.join();
    EXPECT_FALSE(::IsWindow(h));
}

TEST(ModalLoop, NestedLoopsEndEachOtherAndQuitReachesTheOutermost) {
    CModalWnd outer, inner;
    ASSERT_TRUE(outer.Create());
    ASSERT_TRUE(inner.Create());
    int innerResult = 0;
    bool outerStillRunningInside = false;
    auto runInner = [&](std::function<void(CModalWnd&)> what) {
        return [&, what](CModalWnd&) { innerResult = inner.Run(what); };
    };
    auto displace = [&](CModalWnd& self) {
        outer.EndModalLoop(IDCANCEL);  // a newer overlay displaces an older one
        outerStillRunningInside = true;
        self.EndModalLoop(IDOK);
    };
    EXPECT_EQ(outer.Run(runInner(displace)), IDCANCEL);
    EXPECT_TRUE(innerResult == IDOK && outerStillRunningInside);

    MSG m{};
    while (::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    EXPECT_EQ(outer.Run(runInner([](CModalWnd&) { ::PostQuitMessage(42); })), IDCANCEL);
    EXPECT_TRUE(innerResult == IDCANCEL && ::IsWindow(outer.m_hWnd));
    ASSERT_TRUE(::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 42u);
}

namespace {

class CHookApp : public CWinApp {
public:
    int preTranslate = 0;
    std::vector<LONG> idleCounts;

    BOOL PreTranslateMessage(MSG* msg) override {
        ++preTranslate;
        return msg->message == WM_EATEN_BY_THREAD;
    }
    BOOL OnIdle(LONG count) override {
        idleCounts.push_back(count);
        CWinApp::OnIdle(count);
        return count < 2;  // asks for three calls per idle period
    }
};

}  // namespace

TEST(ModalLoop, TheThreadsHooksSeeEveryMessageAndEachIdlePeriod) {
    CHookApp app;
    ASSERT_EQ(AfxGetThread(), &app);
    CModalWnd w;
    ASSERT_TRUE(w.Create());
    w.action = [](CModalWnd& self) { self.EndModalLoop(IDOK); };
    // The messages arrive once the loop has gone idle.
    const HWND h = w.m_hWnd;
    std::thread poster([h] {
        ::Sleep(150);
        for (UINT message : {WM_EATEN_BY_THREAD, WM_ACTION}) ::PostMessageW(h, message, 0, 0);
    });
    EXPECT_EQ(w.RunModalLoop(), IDOK);
    poster.join();
    ASSERT_GE(app.idleCounts.size(), 3u);
    EXPECT_EQ(std::vector<LONG>(app.idleCounts.begin(), app.idleCounts.begin() + 3), (std::vector<LONG>{0, 1, 2}));
    EXPECT_TRUE(w.handled[0] == 1 && w.handled[1] == 0);  // the other one taken by the thread's hook
    EXPECT_GE(app.preTranslate, 2);
}

TEST(Resources, HandleScopeAndExtensionModulesFindTheRightModule) {
    const HINSTANCE exe = ::GetModuleHandleW(nullptr);
    HMODULE library = nullptr;  // the other DLL, which holds string 101; the test program has none
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(RUNTIME_CLASS(CExportedTestWnd)), &library);
    CString s;
    EXPECT_TRUE(AfxGetResourceHandle() == exe && !s.LoadString(101));
    {
        CResourceHandleScope scope(library);
        { CResourceHandleScope nested(exe); }
        EXPECT_EQ(AfxGetResourceHandle(), library);
        EXPECT_TRUE(s.LoadString(101) && s == L"exported string");
    }
    EXPECT_EQ(AfxGetResourceHandle(), exe);

    // An extension module joins the search behind the current handle.
    AFX_EXTENSION_MODULE module{};
    ASSERT_TRUE(AfxInitExtensionModule(module, library));
    EXPECT_TRUE(s.LoadString(101));
    AfxTermExtensionModule(module);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(101 / 16 + 1), RT_STRING), exe);
    EXPECT_FALSE(s.LoadString(101));
}
