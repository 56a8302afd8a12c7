#pragma once
// Real windows, a real second process and a stand-in compositor for the window-record tests.
#include <windows.h>

#include <string>

#include "Handles.h"
#include "windows/Dwm.h"

namespace wintest {

// A window of the test thread; className is registered on first use (any name, including the
// class names of modern apps). Destroyed with the object.
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
RECT MakeRect(int x, int y, int width, int height);
std::wstring ModuleFolder();

// window_probe.exe, started beside the tests; its windows are "<title>" and "<title> second".
class ProbeProcess {
public:
    explicit ProbeProcess(const std::wstring& title);
    ~ProbeProcess();
    ProbeProcess(const ProbeProcess&) = delete;
    ProbeProcess& operator=(const ProbeProcess&) = delete;

    static std::wstring Path();
    HWND first() const { return first_; }
    HWND second() const { return second_; }
    HANDLE process() const { return process_.get(); }

private:
    qel::UniqueKernelHandle process_;
    qel::UniqueKernelHandle thread_;
    HWND first_ = nullptr;
    HWND second_ = nullptr;
};

// A compositor whose answers the test sets; it counts what it was asked.
class FakeDwm : public qel::DwmApi {
public:
    HWND target = nullptr;  // when set, other windows get E_NOTIMPL as from Wine
    BOOL composition = FALSE;
    HRESULT attributeResult = S_OK;
    RECT frame{};          // DWMWA_EXTENDED_FRAME_BOUNDS
    DWORD cloaked = 0;     // DWMWA_CLOAKED
    int compositionQueries = 0;
    int attributeQueries = 0;
    int registrations = 0;
    int unregistrations = 0;

    HRESULT IsCompositionEnabled(BOOL* enabled) override;
    HRESULT GetWindowAttribute(HWND wnd, DWORD attribute, void* value, DWORD size) override;
    HRESULT RegisterThumbnail(HWND destination, HWND source, HTHUMBNAIL* thumbnail) override;
    HRESULT QueryThumbnailSourceSize(HTHUMBNAIL, SIZE*) override { return E_NOTIMPL; }
    HRESULT UpdateThumbnailProperties(HTHUMBNAIL, const DWM_THUMBNAIL_PROPERTIES*) override { return E_NOTIMPL; }
    HRESULT UnregisterThumbnail(HTHUMBNAIL) override;
    HRESULT GetColorizationColor(DWORD*, BOOL*) override { return E_NOTIMPL; }
};

// Puts a compositor in place for a scope.
class ScopedDwm {
public:
    explicit ScopedDwm(qel::DwmApi* api) { qel::SetDwmForTesting(api); }
    ~ScopedDwm() { qel::SetDwmForTesting(nullptr); }
    ScopedDwm(const ScopedDwm&) = delete;
    ScopedDwm& operator=(const ScopedDwm&) = delete;
};

}  // namespace wintest
