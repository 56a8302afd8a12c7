// Every exported member given bad arguments: null, destroyed and foreign windows, sizes and coordinates at
// the ends of the int range, unknown codes, rectangles empty, inverted or beside the screen. Each must
// answer with its failure value (or, for a foreign window, a sound one) at once and show nothing.
#include <gtest/gtest.h>
#include <windows.h>
#include <QelPictavoDll.h>
#include <pictavo.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <initializer_list>
#include <vector>

#include "Handles.h"
#include "ScreenInput.h"

namespace {

class Util : public CPictavoUtil {
public:
    using CPictavoUtil::DoCaptureFromClientArea;
    using CPictavoUtil::DoCaptureFromWnd;
};

template <class T, class F> bool All(std::initializer_list<T> values, F refused) {
    return std::all_of(values.begin(), values.end(), refused);
}

bool Empty(const RECT& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

// Whether an image came back, given back at once.
bool Captured(BITMAPINFOHEADER* image) {
    pictavo_release_image(image);
    return image != nullptr;
}

std::vector<HWND> VisibleWindowsOfThisProcess() {
    std::vector<HWND> found;
    ::EnumWindows(
        [](HWND wnd, LPARAM out) -> BOOL {
            DWORD process = 0;
            ::GetWindowThreadProcessId(wnd, &process);
            if (process == ::GetCurrentProcessId() && ::IsWindowVisible(wnd))
                reinterpret_cast<std::vector<HWND>*>(out)->push_back(wnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

struct Row {
    const char* member;
    std::function<bool()> refused;  // true when every call gave its failure (or sound) value
};

// Runs a row on a thread of its own, as a host's thread would call it; false when it did not return
// within the bound (it would be waiting for a user).
bool RunBounded(const Row& row, bool* refused) {
    struct Call {
        const Row* row;
        bool result;
    } call{&row, false};
    const qel::UniqueKernelHandle thread(::CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* c = static_cast<Call*>(p);
            c->result = c->row->refused();
            return 0;
        },
        &call, 0, nullptr));
    if (!thread || ::WaitForSingleObject(thread.get(), 20000) != WAIT_OBJECT_0) return false;
    *refused = call.result;
    return true;
}

}  // namespace

TEST(Boundary, EveryMemberRefusesBadArgumentsAtOnceAndShowsNothing) {
    const HWND destroyed = qel::UniqueHwnd(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                                             nullptr, nullptr, nullptr))
                               .get();
    // The desktop window belongs to another process: a real window, never ours to change.
    const HWND foreign = ::GetDesktopWindow();
    DWORD owner = 0;
    ::GetWindowThreadProcessId(foreign, &owner);
    ASSERT_NE(owner, ::GetCurrentProcessId());
    RECT foreignRect{};
    ::GetWindowRect(foreign, &foreignRect);

    const RECT screen = qeltest::VirtualScreen();
    // Both-edge rectangles for the selector, Win32 ones for the frame and the C interface.
    const RECT empty{10, 10, 10, 50}, flat{10, 10, 50, 10}, inverted{50, 50, 10, 10},
        beside{screen.right + 100, 10, screen.right + 200, 100}, above{10, screen.top - 300, 100, screen.top - 200},
        whole{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, farEnd{INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX},
        farStart{INT_MIN, INT_MIN, INT_MIN + 10, INT_MIN + 10};
    const auto badSelectorAreas = {empty, flat, RECT{50, 10, 10, 10}, beside, above, whole, farEnd, farStart};
    const auto badFrameAreas = {empty, flat, inverted, beside, above, whole, farEnd, farStart};
    const auto badHandles = {HWND(nullptr), destroyed};
    const auto badSizes = {0, -1, INT_MIN};
    const POINT points[] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {5, 5}};
    const unsigned long masks[3] = {0xF800, 0x07E0, 0x001F};

    const Row rows[] = {
        // CPictavoUtil
        {"CaptureShapeRegion", [] { return All({-1, 7, INT_MIN, INT_MAX}, [](int s) { return !CPictavoUtil().CaptureShapeRegion(0, s); }); }},
        {"CaptureFixedRegion", [&] {
             return All(badSizes, [](int n) { return !CPictavoUtil().CaptureFixedRegion(1, 0, n, 10) && !CPictavoUtil().CaptureFixedRegion(0, INT_MIN, 10, n); });
         }},
        {"TokenFixedSizeRectanguluarRegion", [&] {
             return All(badSizes, [](int n) {
                 return CPictavoUtil::TokenFixedSizeRectanguluarRegion(n, 10).IsRectNull() && CPictavoUtil::TokenFixedSizeRectanguluarRegion(10, n).IsRectNull();
             });
         }},
        {"CaptureScrollWindow, CaptureActiveScrollWindow", [] {
             return All({INT_MAX + 1ul, ULONG_MAX}, [](unsigned long d) {
                 return !CPictavoUtil().CaptureScrollWindow(1, 1, d) && !CPictavoUtil().CaptureActiveScrollWindow(0, 1, d);
             });
         }},
        {"CreateCatchScreenWindow, DoCaptureFromClientArea", [] {
             CWnd none;
             return !CPictavoUtil().CreateCatchScreenWindow(nullptr, INT_MIN) && !Util::DoCaptureFromClientArea(&none, 1) &&
                    !Util::DoCaptureFromClientArea(nullptr, 0);
         }},
        {"DoCaptureFromWnd", [&] {
             CWnd gone(destroyed), other(foreign);
             const bool refused = !Util::DoCaptureFromWnd(nullptr, 1) && !Util::DoCaptureFromWnd(&gone, 1);
             return refused && Captured(Util::DoCaptureFromWnd(&other, 0));  // the screen as it shows
         }},
        {"GetWindowFromPoint", [&] {
             return All(badHandles, [&](HWND w) {
                        return std::all_of(std::begin(points), std::end(points), [&](POINT p) { return !CPictavoUtil::GetWindowFromPoint(w, p, nullptr); });
                    }) &&
                    CPictavoUtil::GetWindowFromPoint(foreign, points[0], destroyed) == foreign &&
                    CPictavoUtil::GetWindowFromPoint(foreign, points[1], nullptr) == foreign;
         }},
        {"IsBehindTaskBar, IsWindowOnWorkArea, GetTopMostLevelParentWindow", [&] {
             return All(badHandles, [](HWND w) {
                        return !CPictavoUtil::IsBehindTaskBar(w) && !CPictavoUtil::IsWindowOnWorkArea(w) &&
                               !CPictavoUtil::GetTopMostLevelParentWindow(w);
                    }) &&
                    !CPictavoUtil::IsWindowOnWorkArea(foreign) && !CPictavoUtil::GetTopMostLevelParentWindow(foreign);
         }},
        {"GetWindowBoundRectangle", [&] {
             const RECT own = CPictavoUtil::GetWindowBoundRectangle(foreign);
             return All(badHandles, [](HWND w) { return Empty(CPictavoUtil::GetWindowBoundRectangle(w)); }) &&
                    ::EqualRect(&own, &foreignRect);
         }},
        {"CreateDIBBitmap", [&] {
             const auto none = [](HBITMAP b) { return qel::UniqueHbitmap(b).get() == nullptr; };
             return All(badSizes, [&](int n) { return none(CPictavoUtil::CreateDIBBitmap(n, 10, 32, BI_RGB, nullptr)) && none(CPictavoUtil::CreateDIBBitmap(10, n, 32, BI_RGB, nullptr)); }) &&
                    none(CPictavoUtil::CreateDIBBitmap(INT_MAX, INT_MAX, 32, BI_RGB, nullptr)) &&
                    none(CPictavoUtil::CreateDIBBitmap(INT_MAX, 1, 32, BI_RGB, nullptr)) &&
                    All({0, 2, 7, 33, -1, INT_MAX}, [&](int b) { return none(CPictavoUtil::CreateDIBBitmap(10, 10, b, BI_RGB, nullptr)); }) &&
                    All({0ul + BI_RLE8, 0ul + BI_RLE4, 0ul + BI_JPEG, 99ul, ULONG_MAX},
                        [&](unsigned long c) { return none(CPictavoUtil::CreateDIBBitmap(10, 10, 8, c, masks)); }) &&
                    none(CPictavoUtil::CreateDIBBitmap(10, 10, 16, BI_BITFIELDS, nullptr)) &&
                    none(CPictavoUtil::CreateDIBBitmap(10, 10, 24, BI_BITFIELDS, masks));
         }},
        {"SetCaptureMenu", [] {
             // Kept for the host and never read: any value comes back as given.
             CPictavoUtil::SetCaptureMenu(reinterpret_cast<HMENU>(0x1234));
             const bool kept = CPictavoUtil::g_hCaptureMenu == reinterpret_cast<HMENU>(0x1234);
             CPictavoUtil::SetCaptureMenu(nullptr);
             return kept;
         }},
        // CMouseCaptureWnd
        {"CMouseCaptureWnd::CreateShiftWindow", [&] {
             return All(badSelectorAreas, [](const RECT& r) {
                 CMouseCaptureWnd wnd(eRecordFixedArea, CRect(r));
                 return !wnd.CreateShiftWindow() && !wnd.GetSafeHwnd();
             });
         }},
        {"CMouseCaptureWnd::InitDrawShiftWindow, GetCaptureArea, RunModelFrameWnd", [&] {
             return All(badSelectorAreas, [](const RECT& r) {
                 CMouseCaptureWnd wnd(eRecordNewArea, CRect(r));
                 wnd.RunModelFrameWnd();
                 return wnd.InitDrawShiftWindow(CRect(r)) == 0 && wnd.GetCaptureArea().IsRectNull();
             });
         }},
        // CFlashingWnd
        {"CFlashingWnd::CreateFlashing", [&] {
             return All(badFrameAreas, [](RECT r) {
                 CFlashingWnd wnd;
                 return !wnd.CreateFlashing(L"", r, 1) && !wnd.CreateFlashing(nullptr, r, 0) && !wnd.GetSafeHwnd();
             });
         }},
        {"CFlashingWnd without a window", [&] {
             CFlashingWnd wnd;
             for (const RECT& r : badFrameAreas) wnd.SetUpRegion(CRect(r), 1);
             wnd.StartFlashing();
             wnd.DrawFlashingRect(true, false);
             wnd.StopFlashing();
             wnd.SetMovable(true);
             MSG timer;
             return wnd.Rect().IsRectNull() && !wnd.NewRegionUsed() && wnd.Movable() &&
                    !::PeekMessageW(&timer, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE);
         }},
        // The C interface
        {"pictavo_capture_shape_region", [] { return All({0, 4, 7, -1, INT_MIN, INT_MAX}, [](int s) { return !pictavo_capture_shape_region(0, s); }); }},
        {"pictavo_capture_fixed_region", [&] {
             return All(badSizes, [](int n) { return !pictavo_capture_fixed_region(0, n, 10) && !pictavo_capture_fixed_region(1, 10, n); });
         }},
        {"pictavo_capture_scroll_window, pictavo_capture_active_scroll_window", [] {
             return !pictavo_capture_scroll_window(1, 1, ULONG_MAX) && !pictavo_capture_active_scroll_window(0, 1, INT_MAX + 1ul);
         }},
        {"pictavo_capture_window", [&] {
             return All(badHandles, [](HWND w) { return !pictavo_capture_window(w, 1); }) && Captured(pictavo_capture_window(foreign, 0));
         }},
        {"pictavo_select_region, pictavo_select_fixed_region", [&] {
             RECT r{1, 2, 3, 4};
             return !pictavo_select_region(nullptr) && !pictavo_select_fixed_region(10, 10, nullptr) &&
                    All(badSizes, [&](int n) { return !pictavo_select_fixed_region(n, 10, &r) && !pictavo_select_fixed_region(10, n, &r) && Empty(r); });
         }},
        {"pictavo window queries", [&] {
             RECT r{1, 2, 3, 4};
             return All(badHandles, [&](HWND w) {
                        return !pictavo_window_from_point(w, points[0], nullptr) && !pictavo_is_behind_taskbar(w) &&
                               !pictavo_is_window_on_work_area(w) && !pictavo_get_window_bound_rectangle(w, &r) && Empty(r) &&
                               !pictavo_get_top_most_level_parent_window(w);
                    }) &&
                    !pictavo_get_window_bound_rectangle(foreign, nullptr) &&
                    pictavo_window_from_point(foreign, points[1], nullptr) == foreign && !pictavo_is_window_on_work_area(foreign);
         }},
        {"pictavo_create_dib_bitmap", [&] {
             const auto none = [](HBITMAP b) { return qel::UniqueHbitmap(b).get() == nullptr; };
             return All(badSizes, [&](int n) { return none(pictavo_create_dib_bitmap(n, 10, 32, BI_RGB, nullptr)) && none(pictavo_create_dib_bitmap(10, n, 32, BI_RGB, nullptr)); }) &&
                    none(pictavo_create_dib_bitmap(INT_MAX, INT_MAX, 32, BI_RGB, nullptr)) &&
                    All({0, 2, 7, 33, -1}, [&](int b) { return none(pictavo_create_dib_bitmap(10, 10, b, BI_RGB, nullptr)); }) &&
                    none(pictavo_create_dib_bitmap(10, 10, 8, BI_RLE8, nullptr)) && none(pictavo_create_dib_bitmap(10, 10, 32, 99, nullptr)) &&
                    none(pictavo_create_dib_bitmap(10, 10, 16, BI_BITFIELDS, nullptr)) && none(pictavo_create_dib_bitmap(10, 10, 24, BI_BITFIELDS, masks));
         }},
        {"pictavo_area_selector_*", [&] {
             RECT r{1, 2, 3, 4};
             const RECT good{10, 10, 50, 50};
             const bool created = !pictavo_area_selector_create(PICTAVO_AREA_FIXED, nullptr) && !pictavo_area_selector_create(2, &good) &&
                                  !pictavo_area_selector_create(-1, &good) && !pictavo_area_selector_choose(nullptr) &&
                                  !pictavo_area_selector_get_area(nullptr, &r) && Empty(r);
             // An area the C interface takes but the selector cannot show fails at the choice, at once.
             return created && All(badFrameAreas, [&](const RECT& a) {
                        pictavo_area_selector* selector = pictavo_area_selector_create(PICTAVO_AREA_FIXED, &a);
                        const bool refused = !selector || (!pictavo_area_selector_choose(selector) &&
                                                           !pictavo_area_selector_get_area(selector, &r) && Empty(r));
                        pictavo_area_selector_destroy(selector);
                        return refused;
                    });
         }},
        {"pictavo_flashing_frame_*", [&] {
             RECT r{1, 2, 3, 4};
             return !pictavo_flashing_frame_create(nullptr, 1) &&
                    All(badFrameAreas, [](const RECT& a) { return !pictavo_flashing_frame_create(&a, 1) && !pictavo_flashing_frame_create(&a, 0); }) &&
                    !pictavo_flashing_frame_start(nullptr) && !pictavo_flashing_frame_stop(nullptr) &&
                    !pictavo_flashing_frame_set_movable(nullptr, 1) && !pictavo_flashing_frame_get_area(nullptr, &r) && Empty(r);
         }},
        {"pictavo image helpers", [] {
             const BITMAPINFOHEADER noRows{sizeof(BITMAPINFOHEADER), 2, 0, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
             pictavo_release_image(nullptr), pictavo_area_selector_destroy(nullptr), pictavo_flashing_frame_destroy(nullptr);
             return !pictavo_save_png(nullptr, L"x.png") && !pictavo_save_png(&noRows, nullptr) && !pictavo_save_png(&noRows, L"") &&
                    !pictavo_copy_to_clipboard(nullptr) && !pictavo_copy_to_clipboard(&noRows);
         }},
    };

    for (const Row& row : rows) {
        const std::vector<HWND> shownBefore = VisibleWindowsOfThisProcess();
        const qeltest::ScreenCopy before = qeltest::CopyScreen(screen);
        bool refused = false;
        if (!RunBounded(row, &refused)) {
            ADD_FAILURE() << row.member << " did not return: it waits for a user";
            return;  // its thread still runs; the process ends it
        }
        EXPECT_TRUE(refused) << row.member;
        EXPECT_EQ(VisibleWindowsOfThisProcess(), shownBefore) << row.member << " left a window shown";
        EXPECT_EQ(qeltest::CountDifferences(before, qeltest::CopyScreen(screen)), 0u) << row.member << " changed the screen";
    }
}
