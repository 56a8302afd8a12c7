#pragma once
// Shared by the window-capture and capture-choice tests: windows of the test thread that paint one
// colour on the screen and another (or a position pattern) when asked to print themselves, helper
// processes, a compositor stand-in that records what it was asked, and settings restored after a test.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "GdiplusHandles.h"
#include "Handles.h"
#include "TestSupport.h"
#include "capture/CaptureSettings.h"
#include "windows/Dwm.h"

namespace wctest {

constexpr COLORREF kPaintColour = RGB(0, 160, 0);
constexpr COLORREF kPrintColour = RGB(200, 0, 40);

// A pixel of the position pattern a window prints: unique over the first 4096 x 4096 pixels.
inline COLORREF PatternAt(int x, int y) {
    return RGB(x & 0xFF, y & 0xFF, 0x80 | ((x >> 8) & 0x0F) | ((y >> 8) & 0x07) << 4);
}

struct WindowLook {
    COLORREF paint = kPaintColour;  // WM_PAINT
    bool answersPrint = true;       // WM_PRINTCLIENT answered at all; unanswered it prints black
    bool printPattern = false;      // WM_PRINTCLIENT draws PatternAt instead of the print colour
    COLORREF print = kPrintColour;
};

inline void FillClient(HWND wnd, HDC dc, COLORREF colour) {
    RECT client;
    ::GetClientRect(wnd, &client);
    qel::UniqueHbrush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &client, brush.get());
}

inline void DrawPattern(HWND wnd, HDC dc) {
    RECT client;
    ::GetClientRect(wnd, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    std::vector<DWORD> pixels(static_cast<size_t>(client.right) * client.bottom);
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const COLORREF c = PatternAt(x, y);
            pixels[static_cast<size_t>(y) * client.right + x] = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        }
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    ::SetDIBitsToDevice(dc, 0, 0, client.right, client.bottom, 0, 0, 0, client.bottom, pixels.data(), &info,
                        DIB_RGB_COLORS);
}

inline LRESULT CALLBACK LookProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    const auto* look = reinterpret_cast<const WindowLook*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (look) {
        switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(wnd, &ps);
            FillClient(wnd, dc, look->paint);
            ::EndPaint(wnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            if (!look->answersPrint) break;
            if (look->printPattern) {
                DrawPattern(wnd, reinterpret_cast<HDC>(wp));
            } else {
                FillClient(wnd, reinterpret_cast<HDC>(wp), look->print);
            }
            return 0;
        default:
            break;
        }
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

// A window of the test thread with a known look; destroyed with the object.
class LookWindow {
public:
    LookWindow(RECT r, WindowLook look = WindowLook(), DWORD style = WS_POPUP | WS_VISIBLE, DWORD exStyle = 0,
               const wchar_t* title = L"Qel capture target")
        : look_(std::make_unique<WindowLook>(look)) {
        static const ATOM registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = LookProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            wc.lpszClassName = L"QelWindowCaptureLook";
            return ::RegisterClassW(&wc);
        }();
        (void)registered;
        wnd_.reset(::CreateWindowExW(exStyle, L"QelWindowCaptureLook", title, style & ~WS_VISIBLE, r.left, r.top,
                                     r.right - r.left, r.bottom - r.top, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                     look_.get()));
        // Shown without activation: Wine takes two seconds to destroy a window that was once active.
        if (style & WS_VISIBLE) ::ShowWindow(wnd_.get(), SW_SHOWNOACTIVATE);
    }
    HWND get() const { return wnd_.get(); }
    void Destroy() { wnd_.reset(); }

private:
    std::unique_ptr<WindowLook> look_;  // read by the window procedure until the window is gone
    qel::UniqueHwnd wnd_;
};

inline RECT At(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

// Makes wnd the foreground window and lets it reach the screen.
inline void Foreground(HWND wnd) {
    ::ShowWindow(wnd, SW_SHOW);
    ::SetForegroundWindow(wnd);
    ::BringWindowToTop(wnd);
    qeltest::PumpFor(250);
}

inline std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

inline std::wstring OwnExePath() {
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// A helper program started from the test folder; its window is found by title. Asked to close at the
// end, and ended if it does not within a few seconds.
class HelperProcess {
public:
    HelperProcess(const std::wstring& exe, const std::wstring& title, const std::wstring& arguments) {
        std::wstring commandLine = L"\"" + ExeFolder() + exe + L"\" \"" + title + L"\" " + arguments;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, ExeFolder().c_str(), &si,
                              &pi))
            return;
        process_.reset(pi.hProcess);
        qel::UniqueKernelHandle thread(pi.hThread);
        for (int i = 0; i < 400 && !wnd_; ++i) {
            wnd_ = ::FindWindowW(nullptr, title.c_str());
            if (!wnd_) ::Sleep(25);
        }
        qeltest::PumpFor(300);
    }
    ~HelperProcess() {
        if (wnd_) ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
        if (process_ && ::WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) ::TerminateProcess(process_.get(), 1);
    }
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    HWND window() const { return wnd_; }
    DWORD id() const { return process_ ? ::GetProcessId(process_.get()) : 0; }

private:
    qel::UniqueKernelHandle process_;
    HWND wnd_ = nullptr;
};

// Puts the settings back as they were when the scope began.
class SettingsScope {
public:
    SettingsScope() : saved_(CaptureSettings::Get()) {}
    ~SettingsScope() { CaptureSettings::Get() = saved_; }
    SettingsScope(const SettingsScope&) = delete;
    SettingsScope& operator=(const SettingsScope&) = delete;

private:
    CaptureSettings saved_;
};

// A compositor that answers as the test says and records what it is asked. Window attributes are not
// implemented, as under Wine. The thumbnail itself draws nothing: what the screen then shows of the
// destination window is its background.
class FakeCompositor : public qel::DwmApi {
public:
    BOOL composition = TRUE;
    HRESULT registerResult = S_OK;
    HRESULT sizeResult = S_OK;
    std::optional<SIZE> sourceSize;  // default: the source window's size
    DWORD colorization = 0xFF0000FF;

    int registrations = 0;
    int unregistrations = 0;
    int updates = 0;
    bool destinationAliveAtEveryUnregister = true;
    HWND destination = nullptr;
    HWND source = nullptr;
    RECT destinationAtUpdate{};  // screen rectangle of the destination window when the properties came
    DWM_THUMBNAIL_PROPERTIES properties{};

    HRESULT IsCompositionEnabled(BOOL* enabled) override {
        *enabled = composition;
        return S_OK;
    }
    HRESULT GetWindowAttribute(HWND, DWORD, void*, DWORD) override { return E_NOTIMPL; }
    HRESULT RegisterThumbnail(HWND to, HWND from, HTHUMBNAIL* thumbnail) override {
        destination = to;
        source = from;
        if (FAILED(registerResult)) return registerResult;
        ++registrations;
        *thumbnail = reinterpret_cast<HTHUMBNAIL>(static_cast<ULONG_PTR>(0x5000 + registrations));
        return S_OK;
    }
    HRESULT QueryThumbnailSourceSize(HTHUMBNAIL, SIZE* size) override {
        if (FAILED(sizeResult)) return sizeResult;
        if (sourceSize) {
            *size = *sourceSize;
        } else {
            RECT r{};
            ::GetWindowRect(source, &r);
            *size = SIZE{r.right - r.left, r.bottom - r.top};
        }
        return S_OK;
    }
    HRESULT UpdateThumbnailProperties(HTHUMBNAIL, const DWM_THUMBNAIL_PROPERTIES* p) override {
        ++updates;
        properties = *p;
        ::GetWindowRect(destination, &destinationAtUpdate);
        return S_OK;
    }
    HRESULT UnregisterThumbnail(HTHUMBNAIL) override {
        ++unregistrations;
        if (!::IsWindow(destination)) destinationAliveAtEveryUnregister = false;
        return S_OK;
    }
    HRESULT GetColorizationColor(DWORD* colour, BOOL* opaque) override {
        *colour = colorization;
        *opaque = TRUE;
        return S_OK;
    }
};

// Puts a compositor in place for a scope.
class CompositorScope {
public:
    explicit CompositorScope(qel::DwmApi* api) { qel::SetDwmForTesting(api); }
    ~CompositorScope() { qel::SetDwmForTesting(nullptr); }
    CompositorScope(const CompositorScope&) = delete;
    CompositorScope& operator=(const CompositorScope&) = delete;
};

// The pixel at (x, y) as 0xAARRGGBB.
inline Gdiplus::ARGB PixelAt(Gdiplus::Image* image, int x, int y) {
    Gdiplus::Color c;
    static_cast<Gdiplus::Bitmap*>(image)->GetPixel(x, y, &c);
    return c.GetValue();
}

inline Gdiplus::ARGB Opaque(COLORREF c) {
    return 0xFF000000u | static_cast<Gdiplus::ARGB>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

// How many pixels of area (the whole image when empty) are exactly argb.
inline int CountArgb(Gdiplus::Image* image, Gdiplus::ARGB argb, Gdiplus::Rect area = Gdiplus::Rect()) {
    auto* bitmap = static_cast<Gdiplus::Bitmap*>(image);
    if (area.Width <= 0) area = Gdiplus::Rect(0, 0, bitmap->GetWidth(), bitmap->GetHeight());
    qel::BitmapBitsLock bits(bitmap, area, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
    if (!bits.ok()) return -1;
    int count = 0;
    for (int y = 0; y < area.Height; ++y) {
        const auto* row = reinterpret_cast<const Gdiplus::ARGB*>(bits.scan0() + static_cast<ptrdiff_t>(y) * bits.data().Stride);
        for (int x = 0; x < area.Width; ++x) count += row[x] == argb;
    }
    return count;
}

// Live GDI objects of this process, found by probing every handle slot: Wine accepts a handle given
// without its generation bits, and reports no GDI counts otherwise.
inline int CountGdiObjects() {
    int count = 0;
    for (ULONG_PTR slot = 1; slot < 0x10000; ++slot) count += ::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0;
    return count;
}

// Open kernel handles of this process, found by probing handle values.
inline int CountKernelHandles() {
    int count = 0;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value < 4 * 16384; value += 4)
        count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    return count;
}

inline int Area(Gdiplus::Image* image) { return static_cast<int>(image->GetWidth() * image->GetHeight()); }

}  // namespace wctest
