// The examples, built by consumer_test.sh against the installed package, run as a user runs them: every PNG
// they write is the screen, pixel for pixel. Their paths come in QEL_EXAMPLE_C and QEL_EXAMPLE_CPP.
#include <gtest/gtest.h>
#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "GdiplusHandles.h"
#include "ScreenInput.h"
#include "TestSupport.h"

namespace {

using qeltest::ScreenCopy;

// Unique per pixel of a window, and different for each tag, so that a shift or a mix-up of windows shows.
DWORD Pattern(int tag, int x, int y) { return static_cast<DWORD>(tag << 20 | (x & 0x3FF) << 10 | (y & 0x3FF)) & 0xFFFFFF; }

LRESULT CALLBACK PatternProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT) return ::DefWindowProcW(wnd, msg, wp, lp);
    RECT c;
    ::GetClientRect(wnd, &c);
    const int tag = static_cast<int>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    std::vector<DWORD> pixels(static_cast<size_t>(c.right) * c.bottom);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = Pattern(tag, static_cast<int>(i % c.right), static_cast<int>(i / c.right));
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), c.right, -c.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(wnd, &ps);
    ::SetDIBitsToDevice(dc, 0, 0, c.right, c.bottom, 0, 0, 0, c.bottom, pixels.data(), &info, DIB_RGB_COLORS);
    ::EndPaint(wnd, &ps);
    return 0;
}

qel::UniqueHwnd ShowPattern(const RECT& r, int tag) {
    WNDCLASSW wc{0, PatternProc, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, L"QelPackagePattern"};
    ::RegisterClassW(&wc);
    qel::UniqueHwnd wnd(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, r.left, r.top,
                                          r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr));
    ::SetWindowLongPtrW(wnd.get(), GWLP_USERDATA, tag);
    ::ShowWindow(wnd.get(), SW_SHOWNOACTIVATE);
    return wnd;
}

bool ScreenShows(const ScreenCopy& expected) {
    return qeltest::CountDifferences(qeltest::CopyScreen(expected.area), expected) == 0;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = L"";
    return std::wstring(value, ::GetEnvironmentVariableW(name, value, MAX_PATH));
}

qel::UniqueKernelHandle Start(const std::wstring& exe, const std::wstring& arguments, DWORD* id) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
    qel::UniqueKernelHandle thread(pi.hThread);
    *id = pi.dwProcessId;
    return qel::UniqueKernelHandle(pi.hProcess);
}

// The exit status of a process that ends within timeoutMs, pumping meanwhile; -1 when it had to be ended.
int ExitStatus(HANDLE process, DWORD timeoutMs) {
    const bool ended = qeltest::PumpUntil([&] { return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeoutMs);
    DWORD status = 0;
    if (!ended) qeltest::EndProcess(process, 0);
    return ended && ::GetExitCodeProcess(process, &status) ? static_cast<int>(status) : -1;
}

// Whether the PNG holds exactly the screen's pixels over area, opaque.
testing::AssertionResult PngShows(const std::wstring& path, const ScreenCopy& screen, const RECT& area) {
    Gdiplus::Bitmap image(path.c_str());
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (image.GetLastStatus() != Gdiplus::Ok) return testing::AssertionFailure() << "cannot read";
    if (qeltest::SizeOf(&image) != qeltest::Size(w, h))
        return testing::AssertionFailure() << image.GetWidth() << " x " << image.GetHeight() << ", expected " << w << " x " << h;
    const qel::BitmapBitsLock bits(&image, {0, 0, w, h}, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
    if (!bits.ok()) return testing::AssertionFailure() << "cannot lock";
    int wrong = 0;
    char first[80] = "";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const DWORD got = reinterpret_cast<const DWORD*>(bits.scan0() + static_cast<size_t>(y) * bits.data().Stride)[x];
            const DWORD want = 0xFF000000u | screen.At(area.left + x, area.top + y);
            if (got != want && wrong++ == 0)
                std::snprintf(first, sizeof(first), "at (%ld, %ld): %08lX, expected %08lX", area.left + x, area.top + y, got, want);
        }
    if (wrong) return testing::AssertionFailure() << wrong << " pixels differ, first " << first;
    return testing::AssertionSuccess();
}

// A folder in the test output without the examples' files, named without a closing separator: a backslash
// before the closing quote of an argument would escape the quote.
std::wstring Folder(const std::wstring& name) {
    const std::wstring folder = qeltest::OutputPath(name);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* file : {L"\\monitor.png", L"\\region.png", L"\\window.png"}) ::DeleteFileW((folder + file).c_str());
    return folder;
}

struct GdiplusSession {
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        ok = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (ok) Gdiplus::GdiplusShutdown(token);
    }
    ULONG_PTR token = 0;
    bool ok = false;
};

}  // namespace

TEST(PackageExamples, TheCExampleAndTheCppConsumerSaveWhatTheScreenShows) {
    const std::wstring cExample = Environment(L"QEL_EXAMPLE_C"), cppConsumer = Environment(L"QEL_EXAMPLE_CPP");
    ASSERT_FALSE(cExample.empty() || cppConsumer.empty()) << "QEL_EXAMPLE_C and QEL_EXAMPLE_CPP name the examples";
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.ok);

    // A pattern over the whole screen and a window of another pattern on it, which the drag crosses.
    const RECT all = qeltest::VirtualScreen(), target{300, 200, 940, 600};
    const qel::UniqueHwnd background = ShowPattern(all, 1), window = ShowPattern(target, 2);
    const auto patternsShown = [&] {
        const ScreenCopy corners = qeltest::CopyScreen(RECT{target.left - 1, target.top - 1, target.left + 1, target.top + 1});
        return corners.At(target.left - 1, target.top - 1) == Pattern(1, target.left - 1 - all.left, target.top - 1 - all.top) &&
               corners.At(target.left, target.top) == Pattern(2, 0, 0);
    };
    ASSERT_TRUE(qeltest::PumpUntil(patternsShown, 10000));
    const ScreenCopy screen = qeltest::CopyScreen(all);

    // The C example: the monitor under the cursor, then the rectangle dragged from a to b, both corners included.
    const POINT cursor{150, 120}, a{200, 150}, b{499, 349};
    qeltest::MoveMouse(cursor);
    ASSERT_TRUE(qeltest::PumpUntil([&] { POINT p; return ::GetCursorPos(&p) && p.x == cursor.x && p.y == cursor.y; }, 5000));
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor);

    const std::wstring cFolder = Folder(L"package-c");
    DWORD id = 0;
    qel::UniqueKernelHandle process = Start(cExample, L"\"" + cFolder + L"\"", &id);
    ASSERT_TRUE(process);
    // The overlay is the example's window under the point where the drag starts.
    const auto overlayShown = [&] {
        DWORD owner = 0;
        const HWND wnd = ::GetAncestor(::WindowFromPoint(a), GA_ROOT);
        return wnd && ::GetWindowThreadProcessId(wnd, &owner) && owner == id && ::IsWindowVisible(wnd);
    };
    qeltest::PumpUntil([&] { return overlayShown() || ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; }, 20000);
    const bool overlay = overlayShown();
    if (overlay) {
        // Its pixels reach the screen a little after its first paint, and it reads the mouse on its 33 ms tick.
        qeltest::PumpFor(350);
        qeltest::Drag(a, b);
    }
    EXPECT_EQ(ExitStatus(process.get(), 20000), 0);
    ASSERT_TRUE(overlay) << "the C example showed no overlay";
    EXPECT_TRUE(PngShows(cFolder + L"\\monitor.png", screen, monitor.rcMonitor));
    EXPECT_TRUE(PngShows(cFolder + L"\\region.png", screen, RECT{a.x, a.y, b.x + 1, b.y + 1}));

    // The C++ consumer, once the overlay has gone: the same monitor, and a copy of the window.
    ASSERT_TRUE(qeltest::PumpUntil([&] { return ScreenShows(screen); }, 10000)) << "the screen did not come back after the overlay";
    const std::wstring cppFolder = Folder(L"package-cpp");
    wchar_t handle[32];
    std::swprintf(handle, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window.get())));
    process = Start(cppConsumer, L"\"" + cppFolder + L"\" " + handle, &id);
    ASSERT_TRUE(process);
    EXPECT_EQ(ExitStatus(process.get(), 20000), 0);
    EXPECT_TRUE(PngShows(cppFolder + L"\\monitor.png", screen, monitor.rcMonitor));
    EXPECT_TRUE(PngShows(cppFolder + L"\\window.png", screen, target));

    // Without a folder both refuse to run.
    for (const std::wstring& exe : {cExample, cppConsumer}) {
        process = Start(exe, L"", &id);
        EXPECT_EQ(ExitStatus(process.get(), 20000), 2) << exe.c_str();
    }
}
