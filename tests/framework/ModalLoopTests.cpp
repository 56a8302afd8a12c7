// The modal loop: result codes, the ways it ends, WM_QUIT, nesting, and the thread's hooks.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <functional>
#include <thread>
#include <vector>

#include "ExportedTestWnd.h"
#include "TestSupport.h"

namespace {

constexpr UINT WM_ACTION = WM_APP + 10;
constexpr UINT WM_EATEN_BY_THREAD = WM_APP + 11;
constexpr UINT WM_EATEN_BY_WINDOW = WM_APP + 12;
constexpr UINT_PTR kWatchdog = 99;
constexpr int kWatchdogResult = -7;

// Runs a scripted action when WM_ACTION arrives. A watchdog timer ends a loop that would
// otherwise hang, with a result no test expects.
class CModalWnd : public CWnd {
public:
    std::function<void(CModalWnd&)> action;
    bool deleteSelf = false;
    int handled[3] = {0, 0, 0};  // WM_ACTION, WM_EATEN_BY_THREAD, WM_EATEN_BY_WINDOW
    int windowPreTranslate = 0;

    BOOL Create() {
        if (!CreateEx(0, AfxRegisterWndClass(0), L"modal", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr)) return FALSE;
        SetTimer(kWatchdog, 5000);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        ++windowPreTranslate;
        return msg->message == WM_EATEN_BY_WINDOW;
    }

protected:
    LRESULT OnAction(WPARAM, LPARAM) {
        ++handled[0];
        if (action) action(*this);
        return 0;
    }
    LRESULT OnEatenByThread(WPARAM, LPARAM) { return ++handled[1]; }
    LRESULT OnEatenByWindow(WPARAM, LPARAM) { return ++handled[2]; }
    afx_msg void OnTimer(UINT_PTR id) {
        if (id == kWatchdog) EndModalLoop(kWatchdogResult);
    }
    void PostNcDestroy() override {
        if (deleteSelf) delete this;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CModalWnd, CWnd)
    ON_MESSAGE(WM_ACTION, &CModalWnd::OnAction)
    ON_MESSAGE(WM_EATEN_BY_THREAD, &CModalWnd::OnEatenByThread)
    ON_MESSAGE(WM_EATEN_BY_WINDOW, &CModalWnd::OnEatenByWindow)
    ON_WM_TIMER()
END_MESSAGE_MAP()

void DrainQuit() {
    MSG m;
    while (::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace

TEST(ModalLoop, ReturnsTheResultGivenToEndModalLoop) {
    for (int code : {IDOK, IDCANCEL}) {
        CModalWnd w;
        ASSERT_TRUE(w.Create());
        w.action = [code](CModalWnd& self) { self.EndModalLoop(code); };
        w.PostMessage(WM_ACTION);
        EXPECT_EQ(w.RunModalLoop(), code);
        EXPECT_TRUE(::IsWindow(w.m_hWnd));  // ending the loop leaves the window to its owner
        EXPECT_FALSE(w.ContinueModal());
    }

    // Ended by a message sent from another thread while the loop waits in GetMessage.
    CModalWnd w;
    ASSERT_TRUE(w.Create());
    w.action = [](CModalWnd& self) { self.EndModalLoop(IDOK); };
    const HWND h = w.m_hWnd;
    std::thread sender([h] {
        ::Sleep(100);
        ::SendMessageW(h, WM_ACTION, 0, 0);
    });
    EXPECT_EQ(w.RunModalLoop(), IDOK);
    sender.join();
}

TEST(ModalLoop, EndsWhenTheWindowOrTheObjectGoesAway) {
    CModalWnd w;
    ASSERT_TRUE(w.Create());
    w.action = [](CModalWnd& self) { self.DestroyWindow(); };
    w.PostMessage(WM_ACTION);
    EXPECT_EQ(w.RunModalLoop(), IDCANCEL);
    EXPECT_EQ(w.m_hWnd, nullptr);

    // A result given before the window went stays the result.
    ASSERT_TRUE(w.Create());
    w.action = [](CModalWnd& self) {
        self.EndModalLoop(IDOK);
        self.DestroyWindow();
    };
    w.PostMessage(WM_ACTION);
    EXPECT_EQ(w.RunModalLoop(), IDOK);

    // The object deletes itself when its window goes: the loop must not touch it afterwards.
    auto* self = new CModalWnd;
    self->deleteSelf = true;
    ASSERT_TRUE(self->Create());
    self->action = [](CModalWnd& s) { s.DestroyWindow(); };
    self->PostMessage(WM_ACTION);
    EXPECT_EQ(self->RunModalLoop(), IDCANCEL);

    // Closed from another thread while the loop waits.
    ASSERT_TRUE(w.Create());
    const HWND h = w.m_hWnd;
    std::thread closer([h] {
        ::Sleep(100);
        ::SendMessageW(h, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(w.RunModalLoop(), IDCANCEL);
    closer.join();
    EXPECT_FALSE(::IsWindow(h));
}

TEST(ModalLoop, QuitEndsEveryLoopAndStillReachesTheOutermost) {
    DrainQuit();
    CModalWnd outer, inner;
    ASSERT_TRUE(outer.Create());
    ASSERT_TRUE(inner.Create());
    int innerResult = 0;
    inner.action = [](CModalWnd&) { ::PostQuitMessage(42); };
    outer.action = [&](CModalWnd&) {
        inner.PostMessage(WM_ACTION);
        innerResult = inner.RunModalLoop();
    };
    outer.PostMessage(WM_ACTION);
    EXPECT_EQ(outer.RunModalLoop(), IDCANCEL);
    EXPECT_EQ(innerResult, IDCANCEL);
    EXPECT_TRUE(::IsWindow(outer.m_hWnd));

    MSG m{};
    ASSERT_TRUE(::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 42u);
    DrainQuit();
}

TEST(ModalLoop, InnerLoopCanEndTheOuterOne) {
    CModalWnd outer, inner;
    ASSERT_TRUE(outer.Create());
    ASSERT_TRUE(inner.Create());
    int innerResult = 0;
    bool outerStillRunningInside = false;
    inner.action = [&](CModalWnd& self) {
        outer.EndModalLoop(IDCANCEL);  // a newer overlay displaces an older one
        outerStillRunningInside = true;
        self.EndModalLoop(IDOK);
    };
    outer.action = [&](CModalWnd&) {
        inner.PostMessage(WM_ACTION);
        innerResult = inner.RunModalLoop();
    };
    outer.PostMessage(WM_ACTION);
    EXPECT_EQ(outer.RunModalLoop(), IDCANCEL);
    EXPECT_EQ(innerResult, IDOK);
    EXPECT_TRUE(outerStillRunningInside);
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

TEST(ModalLoop, ThreadAndWindowHooksSeeEveryMessage) {
    ASSERT_EQ(AfxGetThread(), nullptr);
    CHookApp app;
    ASSERT_EQ(AfxGetThread(), &app);
    CModalWnd w;
    ASSERT_TRUE(w.Create());
    app.m_pMainWnd = &w;
    EXPECT_EQ(AfxGetMainWnd(), &w);
    w.action = [](CModalWnd& self) { self.EndModalLoop(IDOK); };
    // The messages arrive once the loop has gone idle.
    const HWND h = w.m_hWnd;
    std::thread poster([h] {
        ::Sleep(150);
        ::PostMessageW(h, WM_EATEN_BY_THREAD, 0, 0);
        ::PostMessageW(h, WM_EATEN_BY_WINDOW, 0, 0);
        ::PostMessageW(h, WM_ACTION, 0, 0);
    });
    EXPECT_EQ(w.RunModalLoop(), IDOK);
    poster.join();
    ASSERT_GE(app.idleCounts.size(), 3u);
    EXPECT_EQ(app.idleCounts[0], 0);
    EXPECT_EQ(app.idleCounts[1], 1);
    EXPECT_EQ(app.idleCounts[2], 2);
    EXPECT_EQ(w.handled[0], 1);
    EXPECT_EQ(w.handled[1], 0);  // taken by the thread's hook
    EXPECT_EQ(w.handled[2], 0);  // taken by the window's hook
    EXPECT_GE(app.preTranslate, 3);
    EXPECT_GE(w.windowPreTranslate, 2);  // not offered what the thread already took
    app.m_pMainWnd = nullptr;
}

TEST(Thread, EachThreadSeesItsOwnThreadObject) {
    ASSERT_EQ(AfxGetThread(), nullptr);
    {
        CWinApp first(L"first");
        EXPECT_EQ(AfxGetThread(), &first);
        EXPECT_EQ(AfxGetApp(), &first);
        CWinApp second(L"second");  // this thread has one already
        EXPECT_EQ(AfxGetThread(), &first);

        CWinThread* seenBefore = &first;
        CWinThread* seenWithOwn = nullptr;
        CWinApp* appThere = nullptr;
        std::thread worker([&] {
            seenBefore = AfxGetThread();
            CWinApp own(L"worker");
            seenWithOwn = AfxGetThread() == &own ? &own : nullptr;
            appThere = AfxGetApp();
        });
        worker.join();
        EXPECT_EQ(seenBefore, nullptr);
        EXPECT_NE(seenWithOwn, nullptr);
        EXPECT_EQ(appThere, &first);  // the process keeps its first application
        EXPECT_EQ(AfxGetThread(), &first);
    }
    EXPECT_EQ(AfxGetThread(), nullptr);
    EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST(Resources, HandleScopeAndExtensionModulesFindTheRightModule) {
    const HINSTANCE exe = ::GetModuleHandleW(nullptr);
    const HMODULE library = ExportedTestModule();  // holds string 101; the test program has none
    EXPECT_EQ(AfxGetInstanceHandle(), exe);
    EXPECT_EQ(AfxGetResourceHandle(), exe);
    CString s;
    EXPECT_FALSE(s.LoadString(101));
    {
        CResourceHandleScope scope(library);
        EXPECT_EQ(AfxGetResourceHandle(), library);
        {
            CResourceHandleScope nested(exe);
            EXPECT_EQ(AfxGetResourceHandle(), exe);
        }
        EXPECT_EQ(AfxGetResourceHandle(), library);
        ASSERT_TRUE(s.LoadString(101));
        EXPECT_EQ(s, L"exported string");
    }
    EXPECT_EQ(AfxGetResourceHandle(), exe);

    // An extension module joins the search behind the current handle.
    AFX_EXTENSION_MODULE module{};
    ASSERT_TRUE(AfxInitExtensionModule(module, library));
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(101 / 16 + 1), RT_STRING), library);
    CString found;
    EXPECT_TRUE(found.LoadString(101));
    AfxTermExtensionModule(module);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(101 / 16 + 1), RT_STRING), exe);
    EXPECT_FALSE(found.LoadString(101));
}
