#pragma once
// Real windows, a real second process and a stand-in compositor for the window-record tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "Handles.h"
#include "windows/Dwm.h"
#include "windows/WindowDetails.h"

namespace wintest {

RECT MakeRect(int x, int y, int width, int height);
RECT WindowInfoRect(HWND wnd);
::testing::AssertionResult RectIs(const Gdiplus::Rect& r, const RECT& expected);
std::vector<HWND> Handles(const WindowRecordList& list);
// Position in handles, -1 when absent.
ptrdiff_t IndexOf(const std::vector<HWND>& handles, HWND wnd);
WindowDetails* Find(const std::vector<WindowDetails*>& records, HWND wnd);

// A window of the test thread; className is registered on first use with proc (any name, including
// the class names of modern apps). Destroyed with the object.
class TestWindow {
public:
    TestWindow(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, RECT r,
               HWND parent = nullptr, WNDPROC proc = DefWindowProcW);
    HWND get() const { return wnd_.get(); }
    void Destroy() { wnd_.reset(); }

private:
    qel::UniqueHwnd wnd_;
};

// A plain visible top-level window at r.
TestWindow TopLevel(const wchar_t* title, RECT r);
TestWindow Child(HWND parent, RECT r, DWORD style = WS_CHILD | WS_VISIBLE);

// window_probe.exe beside the tests, with its windows "<title>" and "<title> second"; closed at the end.
class ProbeProcess {
public:
    explicit ProbeProcess(const std::wstring& title);
    ~ProbeProcess();
    static std::wstring Path();
    HWND first = nullptr, second = nullptr;
    qel::UniqueKernelHandle process, thread;
};

// A compositor whose answers the test sets; it counts what it was asked.
class FakeDwm : public qel::DwmApi {
public:
    HWND target = nullptr;  // when set, other windows get E_NOTIMPL as from Wine
    BOOL composition = FALSE;
    HRESULT attributeResult = S_OK;
    RECT frame{};       // DWMWA_EXTENDED_FRAME_BOUNDS
    DWORD cloaked = 0;  // DWMWA_CLOAKED
    int compositionQueries = 0, attributeQueries = 0, registrations = 0, unregistrations = 0;

    HRESULT IsCompositionEnabled(BOOL* enabled) override {
        ++compositionQueries;
        *enabled = composition;
        return S_OK;
    }
    HRESULT GetWindowAttribute(HWND wnd, DWORD attribute, void* value, DWORD size) override;
    HRESULT RegisterThumbnail(HWND, HWND, HTHUMBNAIL* thumbnail) override {
        *thumbnail = reinterpret_cast<HTHUMBNAIL>(static_cast<INT_PTR>(++registrations));
        return S_OK;
    }
    HRESULT QueryThumbnailSourceSize(HTHUMBNAIL, SIZE*) override { return E_NOTIMPL; }
    HRESULT UpdateThumbnailProperties(HTHUMBNAIL, const DWM_THUMBNAIL_PROPERTIES*) override { return E_NOTIMPL; }
    HRESULT UnregisterThumbnail(HTHUMBNAIL) override {
        ++unregistrations;
        return S_OK;
    }
    HRESULT GetColorizationColor(DWORD*, BOOL*) override { return E_NOTIMPL; }
};

// Puts a compositor in place for a scope.
struct ScopedDwm {
    explicit ScopedDwm(qel::DwmApi* api) { qel::SetDwmForTesting(api); }
    ~ScopedDwm() { qel::SetDwmForTesting(nullptr); }
};

}  // namespace wintest
