// The C interface as a host without the window framework calls it: this executable links the library's
// import library only and has no thread object of its own, but in the one test about a host that has one.
// Bad arguments are refused at once with nothing created; valid calls are checked against the screen,
// the interactive ones driven by real input from a second thread while the call runs on this one.
#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <QelFramework/App.h>
#include <pictavo.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "Handles.h"
#include "ScreenInput.h"
#include "ScrollTargetProcess.h"
#include "TestSupport.h"

using namespace qeltest;

namespace {

struct ReleaseImage {
    void operator()(BITMAPINFOHEADER* image) const { pictavo_release_image(image); }
};
using Image = std::unique_ptr<BITMAPINFOHEADER, ReleaseImage>;

inline void Unhook(HHOOK hook) { ::UnhookWindowsHookEx(hook); }
using UniqueHook = qel::UniqueHandle<HHOOK, Unhook>;

constexpr RECT kTop{300, 200, 700, 500}, kInner{360, 250, 560, 370}, kPlain{900, 300, 1200, 500};
POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
bool Same(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

// 0x00RRGGBB, different in every pixel of a window up to 2048 x 2048 and in each of four tags.
DWORD Pattern(int tag, int x, int y) {
    return DWORD((x & 0xFF) << 16 | (y & 0xFF) << 8 | tag << 6 | (x >> 8 & 7) << 3 | (y >> 8 & 7));
}

LRESULT CALLBACK PatternProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT && msg != WM_PRINTCLIENT) return ::DefWindowProcW(wnd, msg, wp, lp);
    PAINTSTRUCT ps{};
    const HDC dc = msg == WM_PAINT ? ::BeginPaint(wnd, &ps) : reinterpret_cast<HDC>(wp);
    RECT c;
    ::GetClientRect(wnd, &c);
    const int tag = static_cast<int>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    std::vector<DWORD> pixels(static_cast<size_t>(c.right) * c.bottom);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = Pattern(tag, int(i % c.right), int(i / c.right));
    const BITMAPINFO info{{sizeof(BITMAPINFOHEADER), c.right, -c.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    ::SetDIBitsToDevice(dc, 0, 0, c.right, c.bottom, 0, 0, 0, c.bottom, pixels.data(), &info, DIB_RGB_COLORS);
    if (msg == WM_PAINT) ::EndPaint(wnd, &ps);
    return 0;
}

// What the captures look at, on a thread of its own so that it repaints while a call holds this one: a
// backdrop over the primary monitor (tag 0), a plain window (1), a topmost one (2) with a child (3).
class Scene {
public:
    Scene() : thread_([this] { Run(); }) {
        for (int i = 0; i < 500 && !ready_; ++i) ::Sleep(10);
        // Wine shows a window's pixels once its surface is flushed.
        for (int i = 0; i < 250 && !Shown(); ++i) ::Sleep(20);
    }
    ~Scene() {
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    static bool Shown() {
        const struct { POINT p; int tag; POINT origin; } probes[] = {
            {{40, 900}, 0, {0, 0}}, {{kPlain.left + 9, kPlain.top + 7}, 1, {kPlain.left, kPlain.top}},
            {{kTop.left + 3, kTop.top + 5}, 2, {kTop.left, kTop.top}}, {{kInner.left + 5, kInner.top + 2}, 3, {kInner.left, kInner.top}}};
        for (const auto& p : probes)
            if (CopyScreen(RECT{p.p.x, p.p.y, p.p.x + 1, p.p.y + 1}).pixels[0] != Pattern(p.tag, p.p.x - p.origin.x, p.p.y - p.origin.y))
                return false;
        return true;
    }
    HWND backdrop = nullptr, plain = nullptr, top = nullptr, inner = nullptr;

private:
    void Run() {
        threadId_ = ::GetCurrentThreadId();
        const WNDCLASSW wc{0, PatternProc, 0, 0, ::GetModuleHandleW(nullptr), nullptr, ::LoadCursorW(nullptr, IDC_ARROW),
                           nullptr, nullptr, L"CApiPattern"};
        ::RegisterClassW(&wc);
        const auto make = [&](const RECT& r, DWORD exStyle, DWORD style, HWND parent, int tag) {
            const HWND w = ::CreateWindowExW(exStyle, wc.lpszClassName, L"", style, r.left, r.top, r.right - r.left,
                                             r.bottom - r.top, parent, nullptr, wc.hInstance, nullptr);
            ::SetWindowLongPtrW(w, GWLP_USERDATA, tag);
            if (!parent) ::ShowWindow(w, SW_SHOWNOACTIVATE);
            return qel::UniqueHwnd(w);
        };
        const qel::UniqueHwnd back = make(RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)},
                                          WS_EX_TOOLWINDOW, WS_POPUP, nullptr, 0);
        const qel::UniqueHwnd flat = make(kPlain, WS_EX_TOOLWINDOW, WS_POPUP, nullptr, 1);
        const qel::UniqueHwnd upper = make(kTop, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WS_POPUP | WS_CLIPCHILDREN, nullptr, 2);
        const RECT child{kInner.left - kTop.left, kInner.top - kTop.top, kInner.right - kTop.left, kInner.bottom - kTop.top};
        const qel::UniqueHwnd in = make(child, 0, WS_CHILD | WS_VISIBLE, upper.get(), 3);
        backdrop = back.get(), plain = flat.get(), top = upper.get(), inner = in.get();
        ready_ = true;
        for (MSG msg; ::GetMessageW(&msg, nullptr, 0, 0) > 0;) ::DispatchMessageW(&msg);
    }
    std::atomic<bool> ready_{false};
    std::atomic<DWORD> threadId_{0};
    std::thread thread_;
};

// Pixel (x, y) from the top-left of a 32-bit packed DIB, 0xAARRGGBB.
DWORD At(const BITMAPINFOHEADER* dib, int x, int y) {
    const auto* bits = reinterpret_cast<const DWORD*>(reinterpret_cast<const BYTE*>(dib) + dib->biSize);
    return bits[static_cast<size_t>(dib->biHeight > 0 ? dib->biHeight - 1 - y : y) * dib->biWidth + x];
}

// Pixels of an image taken at origin that differ from the screen copy: every one, or (shaped) only the
// opaque ones; the first is described.
testing::AssertionResult LikeScreen(const BITMAPINFOHEADER* dib, const ScreenCopy& screen, POINT origin, bool shaped = false) {
    if (!dib || dib->biBitCount != 32) return testing::AssertionFailure() << "no 32-bit image";
    if (!screen.Contains(origin.x, origin.y) || !screen.Contains(origin.x + dib->biWidth - 1, origin.y + dib->biHeight - 1))
        return testing::AssertionFailure() << dib->biWidth << " x " << dib->biHeight << " reaches off the screen copy";
    int wrong = 0;
    for (int y = 0; y < dib->biHeight; ++y)
        for (int x = 0; x < dib->biWidth; ++x) {
            const DWORD got = At(dib, x, y);
            if ((!shaped || got >> 24 == 0xFF) && got != (0xFF000000u | screen.At(origin.x + x, origin.y + y)) && !wrong++)
                std::printf("first difference at (%ld, %ld): %08lX\n", origin.x + x, origin.y + y, got);
        }
    if (wrong) return testing::AssertionFailure() << wrong << " pixels differ";
    return testing::AssertionSuccess();
}

RECT Primary() { return RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

// A visible window of the given thread covering p: the library's overlays run on the calling thread.
HWND OverlayAt(DWORD thread, POINT p) {
    HWND wnd = ::WindowFromPoint(p);
    if (wnd) wnd = ::GetAncestor(wnd, GA_ROOT);
    return wnd && ::GetWindowThreadProcessId(wnd, nullptr) == thread && ::IsWindowVisible(wnd) ? wnd : nullptr;
}

// A user's input, played on its own thread once this thread's overlay shows. An overlay still open
// afterwards gets Escape, so that the call on this thread always returns.
class Script {
public:
    explicit Script(std::function<void()> body) : caller_(::GetCurrentThreadId()), thread_([this, body] {
        if (WaitFor(true, 10000)) {
            const HWND overlay = OverlayAt(caller_, POINT{10, 10});
            RECT shown{};
            ::GetWindowRect(overlay, &shown);
            WaitForWindowOnScreen(overlay, shown);
            body();
        }
        WaitFor(false, 3000);
        for (; !done_; ::Sleep(200))
            if (const HWND overlay = OverlayAt(caller_, POINT{10, 10})) ::PostMessageW(overlay, WM_KEYDOWN, VK_ESCAPE, 0);
    }) {}
    ~Script() { Join(); }
    void Join() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
    }
    bool WaitFor(bool shown, DWORD ms) const {
        for (const DWORD start = ::GetTickCount(); !done_ && ::GetTickCount() - start < ms; ::Sleep(10))
            if ((OverlayAt(caller_, POINT{10, 10}) != nullptr) == shown) return true;
        return false;
    }

private:
    const DWORD caller_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

void MoveTo(POINT p, DWORD settleMs = 100) { MoveMouse(p), ::Sleep(settleMs); }
void ClickAt(POINT p) { MoveTo(p), Click(); }

// Runs an interactive call here while body plays, if there is one; the call must leave this thread without
// a thread object.
template <class Call> auto Interact(Call call, std::function<void()> body = nullptr) {
    std::unique_ptr<Script> script(body ? new Script(std::move(body)) : nullptr);
    auto result = call();
    script.reset();
    EXPECT_EQ(AfxGetThread(), nullptr) << "a thread object was left behind";
    return result;
}

// Counts the windows created on this thread.
class CreatedWindows {
public:
    CreatedWindows() : hook_(::SetWindowsHookExW(WH_CBT, Hook, nullptr, ::GetCurrentThreadId())) { Count() = 0; }
    int operator()() const { return Count(); }

private:
    static int& Count() {
        static thread_local int count = 0;
        return count;
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_CREATEWND) ++Count();
        return ::CallNextHookEx(nullptr, code, wp, lp);
    }
    UniqueHook hook_;
};

// A 32-bit packed DIB of width x height, bottom-up, with the given pixels (0xAARRGGBB, top row first).
std::vector<DWORD> PackedDib(int width, int height, const std::vector<DWORD>& topDown) {
    std::vector<DWORD> dib(sizeof(BITMAPINFOHEADER) / 4 + topDown.size());
    const BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::memcpy(dib.data(), &header, sizeof header);
    for (int y = 0; y < height; ++y)
        std::memcpy(&dib[sizeof header / 4 + size_t(height - 1 - y) * width], &topDown[size_t(y) * width], width * 4);
    return dib;
}
const BITMAPINFOHEADER* Header(const std::vector<DWORD>& dib) { return reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()); }

}  // namespace

// The boundary table covers every call's refusals; what is left here needs a live object or a real file.
TEST(CApi, LiveObjectsAndFilesRefuseWhatTheyCannotGiveAndCreateNoWindow) {
    RECT r{1, 2, 3, 4};
    const RECT good{10, 10, 50, 50};
    std::vector<DWORD> flat = PackedDib(2, 1, {0, 0}), pixels24 = PackedDib(2, 2, {0, 0, 0, 0});
    reinterpret_cast<BITMAPINFOHEADER*>(flat.data())->biHeight = 0;
    reinterpret_cast<BITMAPINFOHEADER*>(pixels24.data())->biBitCount = 24;
    const std::vector<DWORD> fine = PackedDib(1, 1, {0xFF00FF00});
    const std::unique_ptr<pictavo_area_selector, void (*)(pictavo_area_selector*)> selector(
        pictavo_area_selector_create(PICTAVO_AREA_NEW, nullptr), pictavo_area_selector_destroy);
    const CreatedWindows created;
    const std::unique_ptr<pictavo_flashing_frame, void (*)(pictavo_flashing_frame*)> frame(
        pictavo_flashing_frame_create(&good, 1), pictavo_flashing_frame_destroy);
    ASSERT_TRUE(selector && frame);
    ASSERT_GT(created(), 0) << "the window count sees no window";
    const int before = created();
    EXPECT_FALSE(pictavo_area_selector_get_area(selector.get(), nullptr));
    EXPECT_FALSE(pictavo_area_selector_get_area(selector.get(), &r)) << "never chosen";
    EXPECT_FALSE(pictavo_flashing_frame_get_area(frame.get(), nullptr));
    EXPECT_FALSE(pictavo_save_png(Header(flat), OutputPath(L"capi-flat.png").c_str()));
    EXPECT_FALSE(pictavo_save_png(Header(pixels24), OutputPath(L"capi-24.png").c_str()));
    EXPECT_FALSE(pictavo_save_png(Header(fine), L"C:\\no\\such\\folder\\x.png"));
    EXPECT_EQ(created(), before);
}

TEST(CApi, WindowQueriesDibSectionsAndTheCaptureMenuAnswerForRealWindows) {
    const Scene scene;
    ASSERT_TRUE(Scene::Shown());
    EXPECT_EQ(pictavo_window_from_point(::GetDesktopWindow(), Centre(kInner), nullptr), scene.inner);
    EXPECT_EQ(pictavo_window_from_point(scene.top, POINT{kTop.left + 5, kTop.bottom - 5}, nullptr), scene.top);
    EXPECT_EQ(pictavo_window_from_point(::GetDesktopWindow(), Centre(kInner), scene.top), scene.backdrop);
    EXPECT_EQ(pictavo_get_top_most_level_parent_window(scene.inner), scene.top);
    EXPECT_EQ(pictavo_get_top_most_level_parent_window(scene.plain), nullptr);
    EXPECT_TRUE(pictavo_is_window_on_work_area(scene.plain) == 1 && pictavo_is_window_on_work_area(::GetDesktopWindow()) == 0);
    // With no taskbar nothing lies behind one; with one of our own the plain window does, the taskbar itself not.
    if (!::FindWindowW(L"Shell_TrayWnd", nullptr)) {
        EXPECT_EQ(pictavo_is_behind_taskbar(scene.plain), 0);
        const WNDCLASSW wc{0, ::DefWindowProcW, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, L"Shell_TrayWnd"};
        ::RegisterClassW(&wc);
        const qel::UniqueHwnd taskbar(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 1040,
                                                        400, 40, nullptr, nullptr, wc.hInstance, nullptr));
        EXPECT_TRUE(pictavo_is_behind_taskbar(scene.plain) == 1 && pictavo_is_behind_taskbar(taskbar.get()) == 0);
    }
    // The bounds are the window's rectangle, clipped to the box of its window region when it has one.
    RECT bounds{};
    EXPECT_TRUE(pictavo_get_window_bound_rectangle(scene.plain, &bounds) && Same(bounds, kPlain));
    const qel::UniqueHwnd shaped(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 600, 200, 100, nullptr, nullptr, nullptr, nullptr));
    qel::UniqueHrgn region(::CreateRectRgn(20, 10, 120, 60));
    if (::SetWindowRgn(shaped.get(), region.get(), FALSE)) region.release();  // the window owns it now
    EXPECT_TRUE(pictavo_get_window_bound_rectangle(shaped.get(), &bounds) && Same(bounds, RECT{120, 610, 220, 660}));

    // Bottom-up sections of every depth; 8 bits come with a black palette, bit fields with their masks.
    const unsigned long masks[3] = {0xF800, 0x07E0, 0x001F};
    for (const int bits : {1, 4, 8, 16, 24, 32})
        for (const unsigned long compression : {BI_RGB, BI_BITFIELDS}) {
            if (compression == BI_BITFIELDS && bits != 16 && bits != 32) continue;
            const qel::UniqueHbitmap dib(pictavo_create_dib_bitmap(7, 5, bits, compression, masks));
            DIBSECTION ds{};
            ASSERT_TRUE(dib && ::GetObjectW(dib.get(), sizeof ds, &ds) == sizeof ds) << bits;
            EXPECT_TRUE(ds.dsBm.bmWidth == 7 && ds.dsBmih.biHeight == 5 && ds.dsBm.bmBitsPixel == bits) << bits;
            if (compression == BI_BITFIELDS) {
                EXPECT_TRUE(ds.dsBitfields[0] == masks[0] && ds.dsBitfields[2] == masks[2]) << bits;
            }
            if (bits != 8) continue;
            const qel::UniqueHdc memory(::CreateCompatibleDC(nullptr));
            const qel::SelectScope select(memory.get(), dib.get());
            RGBQUAD palette[256];
            std::memset(palette, 0xAB, sizeof palette);
            EXPECT_EQ(::GetDIBColorTable(memory.get(), 0, 256, palette), 256u);
            EXPECT_TRUE(std::all_of(std::begin(palette), std::end(palette), [](RGBQUAD q) { return !q.rgbBlue && !q.rgbGreen && !q.rgbRed; }));
        }

    const qel::UniqueHmenu menu(::CreatePopupMenu());
    pictavo_set_capture_menu(menu.get());
    EXPECT_EQ(pictavo_get_capture_menu(), menu.get());
    pictavo_set_capture_menu(nullptr);
    EXPECT_EQ(pictavo_get_capture_menu(), nullptr);
}

TEST(CApi, ScreenWindowForegroundAndMenuCapturesAreTheScreensPixels) {
    const Scene scene;
    ASSERT_TRUE(Scene::Shown());
    MoveMouse(Centre(kPlain));
    ASSERT_TRUE(PumpUntil([] { POINT c; return ::GetCursorPos(&c) && c.x == Centre(kPlain).x && c.y == Centre(kPlain).y; }));
    const ScreenCopy screen = CopyScreen(Primary());
    const Image full(pictavo_capture_full_screen(0));
    ASSERT_TRUE(full);
    ASSERT_EQ(SizeOf(full.get()), Size(Primary().right, Primary().bottom));
    EXPECT_TRUE(LikeScreen(full.get(), screen, POINT{0, 0}));
    // The topmost window with its child, as the screen shows them.
    EXPECT_TRUE(LikeScreen(Image(pictavo_capture_window(scene.top, 0)).get(), screen, POINT{kTop.left, kTop.top}));
    // Under the pointer there is no menu: the window there is cut out alone.
    const Image menu(pictavo_capture_menu_object(0));
    ASSERT_TRUE(menu);
    ASSERT_EQ(SizeOf(menu.get()), Size(kPlain.right - kPlain.left, kPlain.bottom - kPlain.top));
    EXPECT_TRUE(LikeScreen(menu.get(), screen, POINT{kPlain.left, kPlain.top}));
    ::SetForegroundWindow(scene.plain);
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == scene.plain; }));
    const Image active(pictavo_capture_active_window(0));
    ASSERT_TRUE(active);
    ASSERT_EQ(SizeOf(active.get()), Size(kPlain.right - kPlain.left, kPlain.bottom - kPlain.top));
    EXPECT_TRUE(LikeScreen(active.get(), screen, POINT{kPlain.left, kPlain.top}));
}

TEST(CApi, ImagesSaveAsPngWithTheirAlphaAndGoToTheClipboardAsTheyAre) {
    struct Gdiplus {
        Gdiplus() { ::Gdiplus::GdiplusStartup(&token, &input, nullptr); }
        ~Gdiplus() { if (token) ::Gdiplus::GdiplusShutdown(token); }
        ::Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
    } gdiplus;
    ASSERT_NE(gdiplus.token, 0u);
    std::vector<DWORD> pixels;
    for (int i = 0; i < 5 * 3; ++i) pixels.push_back(DWORD(i * 17) << 24 | Pattern(1, i % 5, i / 5 + 40));
    const std::vector<DWORD> dib = PackedDib(5, 3, pixels);
    const std::wstring path = OutputPath(L"capi-alpha.png");
    ::DeleteFileW(path.c_str());
    ASSERT_EQ(pictavo_save_png(Header(dib), path.c_str()), 1);
    {
        ::Gdiplus::Bitmap png(path.c_str());
        ASSERT_TRUE(png.GetLastStatus() == ::Gdiplus::Ok && png.GetWidth() == 5 && png.GetHeight() == 3);
        for (int i = 0; i < 5 * 3; ++i) {
            ::Gdiplus::Color c;
            png.GetPixel(i % 5, i / 5, &c);
            // A transparent pixel keeps no colour worth comparing.
            EXPECT_EQ(pixels[i] >> 24 ? c.GetValue() : c.GetValue() >> 24, pixels[i] >> 24 ? pixels[i] : 0) << i;
        }
    }
    ASSERT_EQ(pictavo_copy_to_clipboard(Header(dib)), 1);
    struct Clipboard {
        Clipboard() : open(::OpenClipboard(nullptr) != FALSE) {}
        ~Clipboard() { if (open) ::CloseClipboard(); }
        const bool open;
    } clipboard;
    ASSERT_TRUE(clipboard.open);
    const HGLOBAL data = ::GetClipboardData(CF_DIB);  // the clipboard's own: not freed here
    ASSERT_TRUE(data && ::GlobalSize(data) >= dib.size() * 4);
    const qel::GlobalMemoryLock lock(data);
    EXPECT_TRUE(lock && std::memcmp(lock.get(), dib.data(), dib.size() * 4) == 0);
}

TEST(CApi, RegionsAndShapesAreCutFromTheFrozenScreen) {
    const Scene scene;
    ASSERT_TRUE(Scene::Shown());
    const ScreenCopy screen = CopyScreen(Primary());
    const RECT v = VirtualScreen();
    // Both corners of a drag belong to the rectangle, given relative to the virtual screen.
    const POINT a{330, 240}, b{520, 410};
    RECT region{};
    EXPECT_EQ(Interact([&] { return pictavo_select_region(&region); }, [&] { Drag(b, a); }), 1);
    EXPECT_TRUE(Same(region, RECT{a.x - v.left, a.y - v.top, b.x + 1 - v.left, b.y + 1 - v.top}));
    // An ellipse: opaque in the middle, transparent in its box's corners.
    Image image = Interact([&] { return Image(pictavo_capture_shape_region(0, PICTAVO_SHAPE_ELLIPSE)); }, [&] { Drag(a, POINT{a.x + 199, a.y + 99}); });
    ASSERT_TRUE(image);
    ASSERT_EQ(SizeOf(image.get()), Size(200, 100));
    EXPECT_TRUE(LikeScreen(image.get(), screen, a, true));
    EXPECT_EQ(At(image.get(), 100, 50) >> 24, 0xFFu);
    EXPECT_EQ(At(image.get(), 0, 0) >> 24 | At(image.get(), 199, 0) >> 24 | At(image.get(), 0, 99) >> 24 | At(image.get(), 199, 99) >> 24, 0u);
    // A triangle of three clicks, closed by a double click: its box, transparent beyond its long edge.
    const POINT p{150, 150}, q{260, 520}, s{420, 380};
    image = Interact([&] { return Image(pictavo_capture_shape_region(0, PICTAVO_SHAPE_POLYGON)); },
                     [&] { ClickAt(p), ClickAt(q), ClickAt(s), Click(); });
    ASSERT_TRUE(image && std::abs(image->biWidth - (s.x - p.x)) <= 1 && std::abs(image->biHeight - (q.y - p.y)) <= 1);
    EXPECT_TRUE(LikeScreen(image.get(), screen, p, true));
    EXPECT_EQ(At(image.get(), (p.x + q.x + s.x) / 3 - p.x, (p.y + q.y + s.y) / 3 - p.y) >> 24, 0xFFu);
    EXPECT_EQ(At(image.get(), image->biWidth - 3, 2) >> 24, 0u);
}

TEST(CApi, FixedRegionsLieWhereTheUserClicks) {
    const Scene scene;
    ASSERT_TRUE(Scene::Shown());
    const ScreenCopy screen = CopyScreen(Primary());
    const RECT v = VirtualScreen();
    const POINT at{kTop.left + 30, kTop.top + 20};
    const Image image = Interact([&] { return Image(pictavo_capture_fixed_region(0, 101, 61)); }, [&] { ClickAt(at); });
    ASSERT_TRUE(image);
    ASSERT_EQ(SizeOf(image.get()), Size(101, 61));
    EXPECT_TRUE(LikeScreen(image.get(), screen, at));
    RECT placed{};
    const POINT there{kPlain.left + 10, kPlain.top + 10};
    EXPECT_EQ(Interact([&] { return pictavo_select_fixed_region(101, 61, &placed); }, [&] { ClickAt(there); }), 1);
    EXPECT_TRUE(Same(placed, RECT{there.x - v.left, there.y - v.top, there.x - v.left + 101, there.y - v.top + 61}));
    // Escape: nothing chosen.
    EXPECT_EQ(Interact([&] { return pictavo_select_fixed_region(50, 50, &placed); }, [] { PressKey(VK_ESCAPE); }), 0);
}

TEST(CApi, APickedWindowIsItsInnermostChildAndItsCaptureIsWhatTheScreenShows) {
    const Scene scene;
    ASSERT_TRUE(Scene::Shown());
    const ScreenCopy screen = CopyScreen(Primary());
    EXPECT_EQ(Interact([] { return pictavo_select_window(); }, [] { MoveTo(Centre(kInner), 500), Click(); }), scene.inner);
    const Image image = Interact([] { return Image(pictavo_capture_window_object(0)); }, [] { MoveTo(Centre(kInner), 500), Click(); });
    ASSERT_TRUE(image);
    ASSERT_EQ(SizeOf(image.get()), Size(kInner.right - kInner.left, kInner.bottom - kInner.top));
    EXPECT_TRUE(LikeScreen(image.get(), screen, POINT{kInner.left, kInner.top}));
}

// Moves onto a known pixel until the picker's label shows that the move was seen, and clicks.
std::function<void()> PickScript(POINT p) {
    return [p] {
        for (int i = 0; i < 100 && CopyScreen(RECT{p.x + 32, p.y + 40, p.x + 33, p.y + 41}).pixels[0] != 0xFFFF00; ++i)
            MoveTo(p, 50);  // again: moves from before the picker showed can arrive late
        Click();
    };
}

COLORREF PatternColor(int tag, int x, int y) {
    const DWORD rgb = Pattern(tag, x, y);
    return RGB(rgb >> 16, rgb >> 8 & 0xFF, rgb & 0xFF);
}

// First in a host without a thread object, then in one with its own, which is kept and is the one the library uses.
TEST(CApi, TheColourPickerWorksWithoutAThreadObjectAndKeepsAHostsOwn) {
    const Scene scene;
    ASSERT_TRUE(Scene::Shown());
    ASSERT_EQ(AfxGetThread(), nullptr);
    EXPECT_EQ(Interact([] { return pictavo_pick_screen_color(); }, PickScript(POINT{kPlain.left + 100, kPlain.top + 70})),
              PatternColor(1, 100, 70));
    struct HostThread : CWinThread {
        HostThread() { RegisterForCurrentThread(); }
        BOOL PreTranslateMessage(MSG*) override { return ++seen, FALSE; }
        int seen = 0;
    } host;
    ASSERT_EQ(AfxGetThread(), &host);
    Script script(PickScript(POINT{kPlain.left + 40, kPlain.top + 30}));
    EXPECT_EQ(pictavo_pick_screen_color(), PatternColor(1, 40, 30));
    script.Join();
    EXPECT_EQ(AfxGetThread(), &host);
    EXPECT_GT(host.seen, 0);
}

TEST(CApi, TheAreaSelectorGivesTheDraggedOrMovedAreaInWin32Edges) {
    const Scene scene;
    ASSERT_TRUE(Scene::Shown());
    using Selector = std::unique_ptr<pictavo_area_selector, void (*)(pictavo_area_selector*)>;
    const Selector fresh(pictavo_area_selector_create(PICTAVO_AREA_NEW, nullptr), pictavo_area_selector_destroy);
    ASSERT_TRUE(fresh);
    RECT area{};
    // Dragged up and to the left: both end points lie inside the area.
    EXPECT_EQ(Interact([&] { return pictavo_area_selector_choose(fresh.get()); }, [] {
                  MoveTo(POINT{700, 650});
                  MouseButton(MOUSEEVENTF_LEFTDOWN);
                  MoveTo(POINT{500, 520}, 200);
                  MouseButton(MOUSEEVENTF_LEFTUP);
              }), PICTAVO_CHOSEN);
    EXPECT_TRUE(pictavo_area_selector_get_area(fresh.get(), &area) && Same(area, RECT{500, 520, 701, 651}));
    // Chosen again and cancelled: the earlier area is gone.
    EXPECT_EQ(Interact([&] { return pictavo_area_selector_choose(fresh.get()); }, [] { PressKey(VK_ESCAPE); }), PICTAVO_CANCELLED);
    EXPECT_FALSE(pictavo_area_selector_get_area(fresh.get(), &area));
    // A given area of 202 x 152 follows the pointer from its centre.
    const RECT given{100, 100, 302, 252};
    const Selector fixed(pictavo_area_selector_create(PICTAVO_AREA_FIXED, &given), pictavo_area_selector_destroy);
    ASSERT_TRUE(fixed);
    MoveMouse(Centre(given));
    ASSERT_TRUE(PumpUntil([&] { POINT c; return ::GetCursorPos(&c) && c.x == Centre(given).x && c.y == Centre(given).y; }));
    EXPECT_EQ(Interact([&] { return pictavo_area_selector_choose(fixed.get()); }, [] { MoveTo(POINT{500, 400}, 200), Click(); }), PICTAVO_CHOSEN);
    EXPECT_TRUE(pictavo_area_selector_get_area(fixed.get(), &area) && Same(area, RECT{400, 325, 602, 477}));
}

TEST(CApi, TheFlashingFrameBlinksStopsPlainAndMovesWhenMovable) {
    const Scene scene;
    ASSERT_TRUE(Scene::Shown());
    const RECT r{400, 600, 500, 660};
    const RECT around{r.left - 120, r.top - 20, r.right + 20, r.bottom + 60};
    const ScreenCopy plain = CopyScreen(around);
    const std::unique_ptr<pictavo_flashing_frame, void (*)(pictavo_flashing_frame*)> frame(pictavo_flashing_frame_create(&r, 1),
                                                                                          pictavo_flashing_frame_destroy);
    RECT area{};
    ASSERT_TRUE(frame && pictavo_flashing_frame_get_area(frame.get(), &area) && Same(area, r));
    ASSERT_EQ(pictavo_flashing_frame_start(frame.get()), 1);
    // Shown, then one look and another and back: it blinks. Stopped, it keeps one of the two.
    ScreenCopy first, second, now;
    const auto look = [&](ScreenCopy& copy, const std::function<bool()>& done) { return PumpUntil([&] { return copy = CopyScreen(around), done(); }); };
    ASSERT_TRUE(look(first, [&] { return CountDifferences(plain, first) > 0; })) << "it never showed";
    EXPECT_TRUE(look(second, [&] { return CountDifferences(first, second) > 0; }) && look(now, [&] { return CountDifferences(first, now) == 0; }))
        << "it did not blink";
    ASSERT_EQ(pictavo_flashing_frame_stop(frame.get()), 1);
    PumpFor(150);
    const ScreenCopy stopped = CopyScreen(around);
    EXPECT_TRUE(CountDifferences(first, stopped) == 0 || CountDifferences(second, stopped) == 0);
    for (int i = 0; i < 3; ++i) {
        PumpFor(150);  // longer than a blink: a timer left running would show
        EXPECT_EQ(CountDifferences(stopped, CopyScreen(around)), 0u) << i;
    }
    // Dragged by its right edge, 100 to the left and 40 down.
    ASSERT_EQ(pictavo_flashing_frame_set_movable(frame.get(), 1), 1);
    MoveMouse(POINT{r.right + 3, r.bottom - 5});
    ASSERT_TRUE(PumpUntil([&] { POINT c; return ::GetCursorPos(&c) && c.x == r.right + 3; }));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([] { return ::GetCapture() != nullptr; })) << "the press did not reach the frame";
    MoveMouse(POINT{r.right - 97, r.bottom + 35});
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return pictavo_flashing_frame_get_area(frame.get(), &area) && !Same(area, r); }));
    EXPECT_TRUE(Same(area, RECT{r.left - 100, r.top + 40, r.right - 100, r.bottom + 40}));
}

TEST(CApi, ScrollingCapturesStitchTheWholeContent) {
    scrolltest::ScrollTargetOptions o;
    o.contentWidth = 400, o.contentHeight = 900, o.clientWidth = 400, o.clientHeight = 300, o.line = 32;
    const scrolltest::ScrollImage expected = scrolltest::ExpectedVerticalStitch(o);
    const auto stitched = [&](const BITMAPINFOHEADER* dib) {
        if (!dib || dib->biWidth != expected.width || dib->biHeight != expected.height) return false;
        for (int i = 0; i < expected.width * expected.height; ++i)
            if (At(dib, i % expected.width, i / expected.width) != expected.pixels[i]) return false;
        return true;
    };
    {
        scrolltest::ScrollTargetProcess target(o);
        ASSERT_TRUE(target.Hwnd() && target.Foreground());
        EXPECT_TRUE(stitched(Interact([] { return Image(pictavo_capture_active_scroll_window(0, 1, 0)); }).get()));
    }
    scrolltest::ScrollTargetProcess target(o);
    ASSERT_TRUE(target.Hwnd());
    const RECT client = scrolltest::ClientOnScreen(target.Hwnd());
    EXPECT_TRUE(stitched(Interact([] { return Image(pictavo_capture_scroll_window(0, 1, 0)); },
                                  [&] { MoveTo(Centre(client), 500), Click(); }).get()));
}
