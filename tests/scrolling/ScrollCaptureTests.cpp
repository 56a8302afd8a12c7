// Scrolling captures of real windows: our own target with a known picture, and Wine's notepad. The
// captured image is compared pixel for pixel with what the target's content must stitch to.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <QelImageTransform.h>
#include <QelPictavo/PictavoUtil.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "GdiplusHandles.h"
#include "Handles.h"
#include "ResourceMeter.h"
#include "ScreenInput.h"
#include "ScrollTargetProcess.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"
#include "scrolling/ScrollCapture.h"
#include "scrolling/ShiftSearchThreads.h"
#include "WindowTestSupport.h"
#include "tests/selection/CaptureFormTestSupport.h"

using scrolltest::ScrollImage;
using scrolltest::ScrollTargetOptions;
using scrolltest::ScrollTargetProcess;

namespace {

// The image's rows are the expected image's first rows (all of them unless rows is given).
::testing::AssertionResult ImageIs(const BITMAPINFOHEADER* dib, const ScrollImage& expected, int rows = -1) {
    if (!dib) return ::testing::AssertionFailure() << "no image";
    if (rows < 0) rows = expected.height;
    const FrameView view = ViewOfDib(dib);
    if (view.width != expected.width || view.height != rows)
        return ::testing::AssertionFailure() << "size " << view.width << "x" << view.height << ", expected "
                                             << expected.width << "x" << rows;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < view.width; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, view.Pixel(x, y), 4);
            if (pixel != expected.At(x, y))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << pixel
                                                     << ", expected " << expected.At(x, y);
        }
    return ::testing::AssertionSuccess();
}

int ThreadCount() {
    qel::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    return count;
}


std::atomic<int> g_released{0};
void CountingRelease(BITMAPINFOHEADER* frame) {
    ++g_released;
    QelImageTransform::ReleaseDIB(frame);
}

ScrollTargetOptions Target(int contentWidth, int contentHeight, int clientWidth, int clientHeight, int line) {
    ScrollTargetOptions o;
    o.contentWidth = contentWidth;
    o.contentHeight = contentHeight;
    o.clientWidth = clientWidth;
    o.clientHeight = clientHeight;
    o.line = line;
    return o;
}

enum Expected { View, Vertical, Horizontal };

ScrollImage ExpectedImage(Expected kind, const ScrollTargetOptions& o) {
    return kind == Vertical ? scrolltest::ExpectedVerticalStitch(o)
                            : kind == Horizontal ? scrolltest::ExpectedHorizontalStitch(o) : scrolltest::ExpectedView(o, 0, 0);
}

}  // namespace

// Every direction the two flags ask for, with and without a pause between steps.
TEST(ScrollCapture, TheFocusWindowIsCapturedWholePixelForPixel) {
    struct Case {
        const char* name;
        ScrollTargetOptions target;
        int horizontal, vertical;
        unsigned long delay;
        Expected expected;
    };
    ScrollTargetOptions header = Target(300, 420, 300, 200, 1);
    header.header = 20;
    ScrollTargetOptions onlyHorizontalBar = Target(900, 200, 400, 200, 32);
    onlyHorizontalBar.verticalBar = false;
    std::vector<Case> cases = {
        {"line steps", Target(500, 2400, 400, 300, 16), 0, 1, 0, Vertical},
        {"steps of nearly half the client, pausing", Target(400, 1100, 400, 300, 140), 0, 1, 250, Vertical},
        {"one-pixel steps under a header that never scrolls", header, 0, 1, 0, Vertical},
        {"content shorter than two steps", Target(400, 380, 400, 300, 60), 0, 1, 0, Vertical},
        {"horizontal line steps", Target(1500, 250, 400, 250, 16), 1, 0, 0, Horizontal},
        {"horizontal, pausing", Target(1000, 200, 400, 200, 190), 1, 0, 250, Horizontal},
        {"both flags, only a horizontal bar", onlyHorizontalBar, 1, 1, 0, Horizontal},
        {"both flags, both bars", Target(900, 700, 400, 300, 32), 1, 1, 0, Vertical},
        {"neither flag: one frame, not scrolled", Target(500, 2000, 400, 300, 16), 0, 0, 0, View},
    };
    // Beside a monitor left of the primary, where screen coordinates are negative, the stitching is the
    // same: one target on each monitor is enough there.
    if (::GetSystemMetrics(SM_XVIRTUALSCREEN) < 0) {
        ScrollTargetOptions left = Target(400, 900, 400, 300, 32);
        left.x = ::GetSystemMetrics(SM_XVIRTUALSCREEN) + 100;
        cases.resize(1);
        cases.push_back({"on the left monitor", left, 0, 1, 0, Vertical});
    }
    for (const Case& c : cases) {
        ScrollTargetProcess target(c.target);
        ASSERT_TRUE(target.Hwnd() && target.Foreground()) << c.name;
        UniqueDib image(CPictavoUtil().CaptureActiveScrollWindow(c.horizontal, c.vertical, c.delay));
        EXPECT_TRUE(ImageIs(image.get(), ExpectedImage(c.expected, c.target))) << c.name;
        if (c.expected == View) {
            EXPECT_TRUE(target.WaitForView(0, 0)) << c.name;
        }
    }
}

// Each way a capture ends early gives the image stitched so far, releases every frame it grabbed
// once, and leaves no thread, handle or event behind.
TEST(ScrollCapture, EveryEndKeepsTheImageSoFarAndLeavesNothingBehind) {
    struct Case {
        const char* name;
        ScrollTargetOptions target;
        int rows;  // of the expected vertical stitch
        int grabs = -1;
    };
    ScrollTargetOptions destroyed = Target(400, 2000, 400, 300, 16);
    destroyed.destroyAfter = 5;
    ScrollTargetOptions resized = Target(400, 2000, 400, 300, 16);
    resized.resizeAfter = 5;
    ScrollTargetOptions collapsed = Target(400, 2000, 400, 300, 16);
    collapsed.collapseAfter = 5;
    ScrollTargetOptions jumping = Target(400, 2000, 400, 300, 200);  // more than half the client: too little overlap
    ScrollTargetOptions hung = Target(400, 2000, 400, 300, 16);
    hung.hangAfter = 5;
    ScrollTargetOptions atTheEnd = Target(400, 2000, 400, 300, 16);
    atTheEnd.startY = 5000;
    const Case cases[] = {
        {"window destroyed at the fifth step", destroyed, 300 + 4 * 16},
        {"window stops answering at the fifth step", hung, 300 + 4 * 16},
        {"window resized at the fifth step", resized, 300 + 4 * 16},
        {"window minimised at the fifth step: the grab fails", collapsed, 300 + 4 * 16, 5},
        {"a step of more than half the client", jumping, 300},
        {"already at the end: the first frame", atTheEnd, 300},
    };
    {  // the process's first capture loads what stays loaded for good (the hotkey library): not counted
        ScrollTargetProcess target(atTheEnd);
        ASSERT_TRUE(target.Hwnd());
        UniqueDib(ScrollCapture().CaptureVerticalScroll(target.Hwnd(), 0));
    }
    for (const Case& c : cases) {
        ScrollTargetProcess target(c.target);
        ASSERT_TRUE(target.Hwnd()) << c.name;
        const int threads = ThreadCount();
        const long long handles = qeltest::ProcessHandles();
        const int releasedBefore = g_released.load();
        UniqueDib image;
        int grabbed = 0;
        {
            ScrollCapture capture;
            capture.SetFrameRelease(CountingRelease);
            image.reset(capture.CaptureVerticalScroll(target.Hwnd(), 0));
            grabbed = capture.FramesGrabbed();
        }
        EXPECT_TRUE(ImageIs(image.get(), scrolltest::ExpectedVerticalStitch(c.target), c.rows)) << c.name;
        EXPECT_EQ(g_released.load() - releasedBefore, grabbed) << c.name;
        if (c.grabs >= 0) {
            EXPECT_EQ(grabbed, c.grabs) << c.name;
        }
        EXPECT_EQ(ThreadCount(), threads) << c.name;
        EXPECT_EQ(qeltest::ProcessHandles(), handles) << c.name;
        qel::UniqueKernelHandle event(::OpenEventW(SYNCHRONIZE, FALSE, L"Vertical-Scroll-Capture"));
        EXPECT_FALSE(event) << c.name;
        if (c.target.hangAfter) {  // it would not answer the request to close
            DWORD id = 0;
            ::GetWindowThreadProcessId(target.Hwnd(), &id);
            ::TerminateProcess(qel::UniqueKernelHandle(::OpenProcess(PROCESS_TERMINATE, FALSE, id)).get(), 1);
        }
    }
}

namespace {

// The stop strip of this process: a visible 220 x 18 top-level window of the given thread.
HWND StopStripOf(DWORD thread) {
    HWND found = nullptr;
    ::EnumThreadWindows(
        thread,
        [](HWND w, LPARAM out) {
            RECT r;
            if (::IsWindowVisible(w) && ::GetWindowRect(w, &r) && r.right - r.left == 220 && r.bottom - r.top == 18) {
                *reinterpret_cast<HWND*>(out) = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

TEST(ScrollCapture, EscapePressedWhileAnotherWindowHasTheFocusEndsTheCapture) {
    ScrollTargetOptions o = Target(400, 30000, 400, 300, 16);
    o.y = 200;  // room for the strip above or below
    ScrollTargetProcess target(o);
    ASSERT_TRUE(target.Hwnd() && target.Foreground());
    const DWORD captureThread = ::GetCurrentThreadId();
    std::atomic<bool> pressed{false};
    std::thread user([&] {
        for (int i = 0; i < 400 && !StopStripOf(captureThread); ++i) ::Sleep(25);
        if (!StopStripOf(captureThread)) return;
        // Another window, of another thread, takes the focus; then Escape.
        wintest::TestWindow other = wintest::TopLevel(L"other", wintest::At(700, 500, 200, 150));
        ::SetForegroundWindow(other.get());
        for (int i = 0; i < 200 && ::GetForegroundWindow() != other.get(); ++i) ::Sleep(25);
        qeltest::PressKey(VK_ESCAPE);
        pressed = true;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    });
    UniqueDib image(CPictavoUtil().CaptureActiveScrollWindow(0, 1, 20));
    user.join();
    ASSERT_TRUE(pressed) << "the stop strip never showed";
    ASSERT_TRUE(image);
    const ScrollImage whole = scrolltest::ExpectedVerticalStitch(o);
    const int rows = std::abs(image->biHeight);
    EXPECT_LT(rows, whole.height) << "the capture ran to the end";
    EXPECT_TRUE(ImageIs(image.get(), whole, rows)) << "what was stitched is exact";
}

class ScrollPickTest : public formtest::OverlayTest {};

TEST_F(ScrollPickTest, AWindowPickedByRealInputIsScrolled) {
    struct Case {
        ScrollTargetOptions target;
        int horizontal, vertical;
        unsigned long delay;
    };
    const Case cases[] = {{Target(400, 1200, 400, 300, 48), 0, 1, 0}, {Target(1000, 250, 400, 250, 150), 1, 0, 250}};
    for (const Case& c : cases) {
        ScrollTargetProcess target(c.target);
        ASSERT_TRUE(target.Hwnd() && target.Foreground());
        const RECT client = scrolltest::ClientOnScreen(target.Hwnd());
        formtest::InputScript script([&] {
            if (!formtest::WaitForOverlay()) return;
            formtest::MoveTo(POINT{(client.left + client.right) / 2, (client.top + client.bottom) / 2}, 300);
            qeltest::Click();
        });
        UniqueDib image(CPictavoUtil().CaptureScrollWindow(c.horizontal, c.vertical, c.delay));
        script.Join();
        EXPECT_TRUE(ImageIs(image.get(), ExpectedImage(c.vertical ? Vertical : Horizontal, c.target)));
        const CaptureSettings& settings = CaptureSettings::Get();
        EXPECT_TRUE(settings.ScrollHorizontal == (c.horizontal != 0) && settings.ScrollVertical == (c.vertical != 0) &&
                    settings.ScrollDelay == static_cast<int>(c.delay));
    }
}

namespace {

// The bands of rows that hold ink (anything not white), each as its pixels, top to bottom.
std::vector<std::vector<uint32_t>> InkBands(const BITMAPINFOHEADER* dib) {
    const FrameView view = ViewOfDib(dib);
    std::vector<std::vector<uint32_t>> bands;
    bool inBand = false;
    for (int y = 0; y < view.height; ++y) {
        std::vector<uint32_t> row(static_cast<size_t>(view.width));
        std::memcpy(row.data(), view.Row(y), row.size() * 4);
        bool ink = false;
        for (uint32_t p : row) ink |= (p & 0xFFFFFF) != 0xFFFFFF;
        if (ink && !inBand) bands.emplace_back();
        if (ink) bands.back().insert(bands.back().end(), row.begin(), row.end());
        inBand = ink;
    }
    return bands;
}

// Brings notepad to the front and waits until its edit control has the focus and shows the text.
HWND FocusedEditShowingText(HWND notepad) {
    for (int i = 0; i < 400 && notepad; ++i, ::Sleep(25)) {
        ::SetForegroundWindow(notepad);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (::GetForegroundWindow() != notepad || !::GetGUIThreadInfo(::GetWindowThreadProcessId(notepad, nullptr), &info))
            continue;
        UniqueDib shown(ScrollCapture::GrabScrollFrame(info.hwndFocus, 0));
        if (shown && InkBands(shown.get()).size() >= 5) return info.hwndFocus;
    }
    return nullptr;
}

}  // namespace

TEST(ScrollCapture, NotepadWithALongDocumentIsCapturedWholeWithNoLineTwice) {
    if (::GetSystemMetrics(SM_CMONITORS) > 1) GTEST_SKIP() << "once is enough";
    wchar_t folder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"qel-scroll-document.txt";
    constexpr size_t kLines = 120;  // six screenfuls
    {
        std::ofstream file(path.c_str(), std::ios::binary);
        // Capitals and digits only: no descenders, so text lines stay apart as bands of ink.
        for (size_t i = 1; i <= kLines; ++i) {
            char line[64];
            std::snprintf(line, sizeof line, "LINE %03zu %.*s\r\n", i, static_cast<int>(1 + (i * 7) % 23), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
            file << line;
        }
    }
    qeltest::Notepad notepad(path);
    ASSERT_TRUE(FocusedEditShowingText(notepad.window));
    // The default pause lets the window system show each step: it puts what a window painted on the
    // screen some tens of milliseconds later, and not always at once.
    UniqueDib image(CPictavoUtil().CaptureActiveScrollWindow(0, 1, 250));
    ASSERT_TRUE(image);
    const std::vector<std::vector<uint32_t>> bands = InkBands(image.get());
    std::set<std::vector<uint32_t>> distinct(bands.begin(), bands.end());
    EXPECT_EQ(distinct.size(), bands.size()) << "a line appears twice";
    // Every line once, the first and the last included (a caret may add a band of its own). The
    // window keeps a margin below its last whole line that never scrolls.
    EXPECT_GE(bands.size(), kLines);
    EXPECT_LE(bands.size(), kLines + 1);
    if (bands.size() < kLines) {  // what was stitched, for a person to find the lines that went missing
        Gdiplus::Bitmap stitched(reinterpret_cast<const BITMAPINFO*>(image.get()),
                                 reinterpret_cast<BYTE*>(image.get()) + image->biSize);
        qeltest::SaveImagePng(&stitched, L"scroll-notepad-stitched.png");
    }
    ::DeleteFileW(path.c_str());
}

