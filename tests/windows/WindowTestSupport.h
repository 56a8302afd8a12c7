#pragma once
// Real windows of a known look, helper programs, a stand-in compositor and settings restored after a
// test: shared by the window, window-capture and capture-choice tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>

#include "Handles.h"
#include "ScreenTestWindows.h"
#include "TestSupport.h"
#include "capture/CaptureSettings.h"
#include "windows/Dwm.h"
#include "windows/WindowDetails.h"

namespace wintest {

using namespace screentest;
using TestWindow = qel::UniqueHwnd;

constexpr COLORREF kPaintColour = RGB(0, 160, 0);
constexpr COLORREF kPrintColour = RGB(200, 0, 40);

inline RECT At(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

inline Gdiplus::ARGB Opaque(COLORREF c) { return 0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

inline ::testing::AssertionResult RectIs(const Gdiplus::Rect& r, const RECT& e) {
    const bool same = r.X == e.left && r.Y == e.top && r.Width == e.right - e.left && r.Height == e.bottom - e.top;
    return ::testing::AssertionResult(same) << "(" << r.X << ", " << r.Y << ", " << r.Width << ", " << r.Height << ") against ("
                                            << e.left << ", " << e.top << ", " << e.right << ", " << e.bottom << ")";
}

inline std::vector<HWND> Handles(const WindowRecordList& list) {
    std::vector<HWND> handles;
    for (const auto& r : list) handles.push_back(r->Handle());
    return handles;
}

// Position in handles, -1 when absent.
inline ptrdiff_t IndexOf(const std::vector<HWND>& handles, HWND wnd) {
    auto it = std::find(handles.begin(), handles.end(), wnd);
    return it == handles.end() ? -1 : it - handles.begin();
}

inline WindowDetails* Find(const std::vector<WindowDetails*>& records, HWND wnd) {
    auto it = std::find_if(records.begin(), records.end(), [&](WindowDetails* r) { return r->Handle() == wnd; });
    return it == records.end() ? nullptr : *it;
}

// A window of the test thread; className is registered on first use with proc (any name, including the
// class names of modern apps).
inline TestWindow Window(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, RECT r,
                         HWND parent = nullptr, WNDPROC proc = ::DefWindowProcW, void* param = nullptr) {
    static std::set<std::wstring> registered;
    if (registered.insert(className).second) {
        WNDCLASSW wc{0, proc, 0, 0, ::GetModuleHandleW(nullptr), nullptr, ::LoadCursorW(nullptr, IDC_ARROW),
                     static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)), nullptr, className};
        ::RegisterClassW(&wc);
    }
    return TestWindow(::CreateWindowExW(exStyle, className, title, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                        parent, nullptr, ::GetModuleHandleW(nullptr), param));
}
inline TestWindow TopLevel(const wchar_t* title, RECT r) { return Window(L"QelTestWindow", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, r); }
inline TestWindow Child(HWND parent, RECT r, DWORD style = WS_CHILD | WS_VISIBLE) { return Window(L"QelTestWindow", L"", style, 0, r, parent); }

// How a LookWindow paints on the screen, and when asked to print itself (kPrintColour by default).
struct WindowLook {
    COLORREF paint = kPaintColour;  // WM_PAINT
    bool answersPrint = true;       // WM_PRINTCLIENT answered at all; unanswered it prints black
    bool printPattern = false;      // WM_PRINTCLIENT draws PatternRgb(0, x, y) instead
};

inline LRESULT CALLBACK LookProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    const auto* look = reinterpret_cast<const WindowLook*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    const bool print = look && msg == WM_PRINTCLIENT && look->answersPrint;
    if (look && msg == WM_ERASEBKGND) return 1;
    if (print && look->printPattern) return PaintPattern(wnd, reinterpret_cast<HDC>(wp), 0), 0;
    if (!print && !(look && msg == WM_PAINT)) return ::DefWindowProcW(wnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = print ? reinterpret_cast<HDC>(wp) : ::BeginPaint(wnd, &ps);
    RECT client;
    ::GetClientRect(wnd, &client);
    ::FillRect(dc, &client, qel::UniqueHbrush(::CreateSolidBrush(print ? kPrintColour : look->paint)).get());
    if (!print) ::EndPaint(wnd, &ps);
    return 0;
}

// A window of the test thread with a known look; destroyed with the object.
struct LookWindow {
    LookWindow(RECT r, WindowLook l = WindowLook(), DWORD style = WS_POPUP | WS_VISIBLE, DWORD exStyle = 0,
               const wchar_t* title = L"Qel capture target")
        : look(std::make_unique<WindowLook>(l)),
          wnd(Window(L"QelWindowCaptureLook", title, style & ~WS_VISIBLE, exStyle, r, nullptr, LookProc, look.get())) {
        // Shown without activation: Wine takes two seconds to destroy a window that was once active.
        if (style & WS_VISIBLE) ::ShowWindow(wnd.get(), SW_SHOWNOACTIVATE);
    }
    HWND get() const { return wnd.get(); }

    std::unique_ptr<WindowLook> look;  // read by the window procedure until the window is gone
    TestWindow wnd;
};

using qeltest::ExeFolder;
using qeltest::OwnExePath;

// A helper program from the test folder, started with "<title>" and then the arguments; its window is
// found by title. Asked to close at the end, and ended if it does not within a few seconds.
struct HelperProcess {
    HelperProcess(const std::wstring& exe, const std::wstring& title, const std::wstring& arguments) {
        process = qeltest::StartProgram(exe, L"\"" + title + L"\" " + arguments);
        if (!process) return;
        for (int i = 0; i < 400 && !(window = ::FindWindowW(nullptr, title.c_str())); ++i) ::Sleep(25);
        qeltest::PumpFor(300);
    }
    ~HelperProcess() {
        if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
        if (process) qeltest::EndProcess(process.get(), 5000);
    }

    qel::UniqueKernelHandle process;
    HWND window = nullptr;
};

// Puts the settings back as they were when the scope began.
struct SettingsScope {
    const CaptureSettings saved = CaptureSettings::Get();
    ~SettingsScope() { CaptureSettings::Get() = saved; }
};

// A compositor that answers as the test says and records what it is asked. By default it composes
// and, as under Wine, answers no window attribute. Its thumbnail draws nothing: what the screen then
// shows of the destination window is its background, drawn in the pure blue colorization colour.
class FakeCompositor : public qel::DwmApi {
public:
    BOOL composition = TRUE;
    HWND target = nullptr;                // when set, other windows' attributes get E_NOTIMPL
    HRESULT attributeResult = E_NOTIMPL;  // S_OK: frame and cloaked are answered
    RECT frame{};                         // DWMWA_EXTENDED_FRAME_BOUNDS
    DWORD cloaked = 0;                    // DWMWA_CLOAKED
    HRESULT registerResult = S_OK, sizeResult = S_OK;
    std::optional<SIZE> sourceSize;  // default: the source window's size
    bool destroySourceAtUpdate = false;  // the source goes while the thumbnail is set up

    int registrations = 0, unregistrations = 0, updates = 0;
    bool destinationAliveAtEveryUnregister = true;
    HWND destination = nullptr, source = nullptr;
    RECT destinationAtUpdate{};  // screen rectangle of the destination window when the properties came

    HRESULT IsCompositionEnabled(BOOL* enabled) override { return *enabled = composition, S_OK; }
    HRESULT GetWindowAttribute(HWND wnd, DWORD attribute, void* value, DWORD size) override {
        if (target && wnd != target) return E_NOTIMPL;
        if (FAILED(attributeResult)) return attributeResult;
        if (attribute == DWMWA_EXTENDED_FRAME_BOUNDS && size == sizeof(RECT)) return *static_cast<RECT*>(value) = frame, S_OK;
        if (attribute == DWMWA_CLOAKED && size == sizeof(DWORD)) return *static_cast<DWORD*>(value) = cloaked, S_OK;
        return E_INVALIDARG;
    }
    HRESULT RegisterThumbnail(HWND to, HWND from, HTHUMBNAIL* thumbnail) override {
        destination = to, source = from;
        if (FAILED(registerResult)) return registerResult;
        return *thumbnail = reinterpret_cast<HTHUMBNAIL>(static_cast<ULONG_PTR>(0x5000 + ++registrations)), S_OK;
    }
    HRESULT QueryThumbnailSourceSize(HTHUMBNAIL, SIZE* size) override {
        RECT r{};
        ::GetWindowRect(source, &r);
        return *size = sourceSize ? *sourceSize : SIZE{r.right - r.left, r.bottom - r.top}, sizeResult;
    }
    HRESULT UpdateThumbnailProperties(HTHUMBNAIL, const DWM_THUMBNAIL_PROPERTIES*) override {
        ++updates;
        if (destroySourceAtUpdate) ::DestroyWindow(source);
        return ::GetWindowRect(destination, &destinationAtUpdate), S_OK;
    }
    HRESULT UnregisterThumbnail(HTHUMBNAIL) override {
        ++unregistrations;
        destinationAliveAtEveryUnregister = destinationAliveAtEveryUnregister && ::IsWindow(destination);
        return S_OK;
    }
    HRESULT GetColorizationColor(DWORD* colour, BOOL* opaque) override { return *colour = 0xFF0000FF, *opaque = TRUE, S_OK; }
};

// Puts a compositor in place for a scope.
struct CompositorScope {
    explicit CompositorScope(qel::DwmApi* api) { qel::SetDwmForTesting(api); }
    ~CompositorScope() { qel::SetDwmForTesting(nullptr); }
};

// How many pixels of area (the whole image when empty) are exactly argb.
inline int CountArgb(Gdiplus::Image* image, Gdiplus::ARGB argb, Gdiplus::Rect area = Gdiplus::Rect()) {
    auto* bitmap = static_cast<Gdiplus::Bitmap*>(image);
    if (area.Width <= 0) area = Gdiplus::Rect(0, 0, bitmap->GetWidth(), bitmap->GetHeight());
    qel::BitmapBitsLock bits(bitmap, area, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
    int count = 0;
    for (int i = 0; bits.ok() && i < area.Width * area.Height; ++i)
        count += reinterpret_cast<const Gdiplus::ARGB*>(bits.scan0() + (i / area.Width) * bits.data().Stride)[i % area.Width] == argb;
    return bits.ok() ? count : -1;
}

}  // namespace wintest
