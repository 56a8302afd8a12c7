#include "windows/WindowDetails.h"

#include <psapi.h>

#include <algorithm>
#include <cwchar>
#include <new>

#include "Handles.h"
#include "capture/CaptureSettings.h"
#include "module/ModuleState.h"
#include "windows/Dwm.h"
#include "windows/MessageWaits.h"
#include "windows/OsVersion.h"
#include "windows/Rectangles.h"
#include "windows/ScreenGeometry.h"

namespace {

using Rects::Bottom;
using Rects::FromRECT;
using Rects::HasArea;
using Rects::Inside;
using Rects::Right;
using Rects::Same;

constexpr int kTextCapacity = 260;
constexpr LONG kRectangleLifetimeMs = 2000;
constexpr DWORD kRestoreTimeoutMs = 2000;
// Where the system parks minimised windows.
constexpr int kParkedX = -32000;

const wchar_t kCoreWindowClass[] = L"Windows.UI.Core.CoreWindow";
const wchar_t kLauncherClass[] = L"ImmersiveLauncher";
const wchar_t kGutterClass[] = L"ImmersiveGutter";
const wchar_t kAppFrameClass[] = L"ApplicationFrameWindow";

std::wstring ReadWindowText(HWND wnd) {
    wchar_t buffer[kTextCapacity] = {};
    DWORD processId = 0;
    ::GetWindowThreadProcessId(wnd, &processId);
    // The system reads another process's title itself; a window of this process is asked, and one of a
    // thread that stopped answering gives no title.
    if (processId != ::GetCurrentProcessId())
        ::GetWindowTextW(wnd, buffer, kTextCapacity);
    else
        qel::SendToWindow(wnd, WM_GETTEXT, kTextCapacity, reinterpret_cast<LPARAM>(buffer));
    buffer[kTextCapacity - 1] = L'\0';
    return buffer;
}

void SendRestore(HWND wnd) { qel::SendToWindow(wnd, WM_SYSCOMMAND, SC_RESTORE, 0); }

bool GetInfo(HWND wnd, WINDOWINFO& info) {
    info = WINDOWINFO{};
    info.cbSize = sizeof(info);
    return ::GetWindowInfo(wnd, &info) != FALSE;
}

class ReentryGuard {
public:
    explicit ReentryGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~ReentryGuard() { flag_ = false; }
    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;

private:
    bool& flag_;
};

struct EnumerationTarget {
    HWND parent;
    WindowRecordArray* records;
};

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM data) {
    auto* target = reinterpret_cast<EnumerationTarget*>(data);
    if (!wnd) return FALSE;
    if (!::IsWindow(wnd)) return TRUE;
    if (qel::IgnoredWindows().Contains(wnd)) return TRUE;
    // The system lists grandchildren too; each record keeps only its own children, so that a
    // deep window is not read again under every ancestor.
    if (target->parent && ::GetAncestor(wnd, GA_PARENT) != target->parent) return TRUE;
    try {
        target->records->push_back(std::make_unique<WindowDetails>(wnd));
    } catch (...) {
        return FALSE;  // nothing may unwind through the system's callback
    }
    return TRUE;
}

}  // namespace

WindowDetails::WindowDetails(HWND handle) : handle_(handle), lastRectangle_(0, 0, 0, 0) {}

WindowDetails::~WindowDetails() = default;

const std::wstring& WindowDetails::ClassName() {
    if (className_.empty()) {
        wchar_t buffer[kTextCapacity] = {};
        ::GetClassNameW(handle_, buffer, kTextCapacity);
        className_ = buffer;
    }
    return className_;
}

const std::wstring& WindowDetails::Text() {
    if (text_.empty()) text_ = ReadWindowText(handle_);
    return text_;
}

void WindowDetails::CacheRectangle(const Gdiplus::Rect& rect, DWORD now) {
    lastRectangle_ = rect;
    rectangleTime_ = now;
}

Gdiplus::Rect WindowDetails::WindowRectangle() {
    const DWORD now = ::GetTickCount();
    if (HasArea(lastRectangle_) && (frozen_ || static_cast<LONG>(now - rectangleTime_) <= kRectangleLifetimeMs))
        return lastRectangle_;
    // A modern-app window asks IsMaximised, which asks IsVisible, which asks for this rectangle.
    if (measuringRectangle_) return lastRectangle_;
    ReentryGuard guard(measuringRectangle_);

    Gdiplus::Rect rect(0, 0, 0, 0);
    if (IsDwmEnabled()) {
        RECT frame{};
        if (SUCCEEDED(qel::Dwm().GetWindowAttribute(handle_, DWMWA_EXTENDED_FRAME_BOUNDS, &frame, sizeof(frame)))) {
            rect = FromRECT(frame);
            // An empty frame is no answer: it must neither replace the last good rectangle nor stop
            // the fallback below.
            if (HasArea(rect)) {
                // Cached first so that the nested IsMaximised below finds it.
                if (IsCoreWindowClass()) CacheRectangle(rect, now);
                if (OsVersion::IsWindows10OrLater() && !IsMaximised()) {
                    const SIZE grow = CaptureSettings::Get().WindowFrameGrowth;
                    const Gdiplus::Rect grown(rect.X - grow.cx, rect.Y - grow.cy, rect.Width + 2 * grow.cx,
                                              rect.Height + 2 * grow.cy);
                    if (HasArea(grown)) {
                        CacheRectangle(grown, now);
                        return grown;
                    }
                }
            }
        }
    }
    if (rect.Width <= 0 || rect.Height <= 0) {
        WINDOWINFO info;
        rect = GetInfo(handle_, info) ? FromRECT(info.rcWindow) : Gdiplus::Rect(0, 0, 0, 0);
    }
    // A maximised top-level window reaches past its monitor by its borders.
    if (!ResolveParent() && !IsCoreWindowClass() && IsMaximised()) {
        WINDOWINFO info;
        if (GetInfo(handle_, info)) {
            const int bx = static_cast<int>(info.cxWindowBorders), by = static_cast<int>(info.cyWindowBorders);
            rect = Gdiplus::Rect(rect.X + bx, rect.Y + by, rect.Width - 2 * bx, rect.Height - 2 * by);
        }
    }
    rectangleTime_ = now;
    if (!HasArea(rect)) return lastRectangle_;
    lastRectangle_ = rect;
    return rect;
}

bool WindowDetails::IsCloaked() {
    if (!OsVersion::IsWindows8OrLater()) return false;
    DWORD cloaked = 0;
    return SUCCEEDED(qel::Dwm().GetWindowAttribute(handle_, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) &&
           cloaked != 0;
}

bool WindowDetails::IsVisible() {
    if (IsCloaked()) return false;
    if (IsCoreWindowClass()) {
        const Gdiplus::Rect rect = WindowRectangle();
        // A modern app filling a monitor exactly gives no answer from that monitor.
        for (const MonitorEntry& m : ScreenGeometry::ListMonitors()) {
            if (Inside(rect, m.bounds) && !Same(rect, m.bounds)) return true;
        }
        return false;
    }
    if (ClassName() == kGutterClass) return true;
    if (ClassName() == kLauncherClass) return false;
    return ::IsWindowVisible(handle_) != FALSE;
}

bool WindowDetails::IsMaximised() {
    if (!IsCoreWindowClass()) return ::IsZoomed(handle_) != FALSE;
    if (!IsVisible()) return false;
    const Gdiplus::Rect rect = WindowRectangle();
    for (const MonitorEntry& m : ScreenGeometry::ListMonitors()) {
        if (Same(rect, m.bounds)) return true;
    }
    return false;
}

bool WindowDetails::IsMinimised() {
    if (IsModernAppWindow()) return !IsVisible();
    return ::IsIconic(handle_) || WindowRectangle().X <= kParkedX;
}

bool WindowDetails::IsCoreWindowClass() { return ClassName() == kCoreWindowClass; }

bool WindowDetails::IsModernAppWindow() {
    const std::wstring& name = ClassName();
    return name == kLauncherClass || name == kCoreWindowClass;
}

bool WindowDetails::ResolveParent() {
    if (parent_) return parentHandle_ != nullptr;
    if (!parentHandle_) {
        parentHandle_ = ::GetParent(handle_);
        if (!parentHandle_) return false;
    }
    parent_ = std::make_unique<WindowDetails>(parentHandle_);
    return true;
}

std::vector<WindowDetails*> WindowDetails::GetChildren(int levels) {
    if (!children_) {
        children_ = std::make_unique<WindowRecordArray>(EnumerateWindows(handle_));
        if (levels > 0) {
            for (const auto& child : *children_) child->GetChildren(levels - 1);
        }
    }
    std::vector<WindowDetails*> copy;
    copy.reserve(children_->size());
    for (const auto& child : *children_) copy.push_back(child.get());
    return copy;
}

bool WindowDetails::Contains(POINT p) {
    const Gdiplus::Rect r = WindowRectangle();
    return r.X <= p.x && p.x < Right(r) && r.Y <= p.y && p.y < Bottom(r);
}

WindowDetails* WindowDetails::DeepestChildAt(POINT p) {
    if (!Contains(p)) return nullptr;
    const Gdiplus::Rect r = WindowRectangle();
    // The edge of a window selects the whole window.
    if (p.x == r.X || p.x == Right(r) || p.y == r.Y || p.y == Bottom(r)) return this;
    for (WindowDetails* child : GetChildren()) {
        if (child->Contains(p)) return child->DeepestChildAt(p);
    }
    return this;
}

bool WindowDetails::IsOnScreen(const Gdiplus::Rect& screenBounds) {
    if (!IsVisible() || IsMinimised()) return false;
    const Gdiplus::Rect r = WindowRectangle();
    const long long x = std::max<long long>(r.X, screenBounds.X);
    const long long y = std::max<long long>(r.Y, screenBounds.Y);
    const long long width = std::min(Right(r), Right(screenBounds)) - x;
    const long long height = std::min(Bottom(r), Bottom(screenBounds)) - y;
    if (width <= 0 || height <= 0) return false;
    if (ClassName() == kCoreWindowClass || ClassName() == kAppFrameClass) return true;
    return (::GetWindowLongW(handle_, GWL_EXSTYLE) & WS_EX_NOREDIRECTIONBITMAP) == 0;
}

bool WindowDetails::Answers() {
    if (answers_) answers_ = qel::WindowAnswers(handle_);
    return answers_;
}

void WindowDetails::Restore() {
    // Moving a window of another thread waits for it: one that stopped answering stays where it is.
    if (!Answers()) return;
    const bool minimised = IsMinimised();
    if (minimised) SendRestore(handle_);
    ::BringWindowToTop(handle_);
    ::SetForegroundWindow(handle_);
    // The restore may need this window's own messages; a window that never comes back is given up.
    const DWORD start = ::GetTickCount();
    for (;;) {
        // A cached rectangle would still be the parked one; a failed read falls back to it anyway.
        if (minimised) rectangleTime_ = ::GetTickCount() - kRectangleLifetimeMs - 1;
        if (!IsMinimised() || ::GetTickCount() - start >= kRestoreTimeoutMs) break;
        qel::WaitServingPaint(10);
    }
}

std::unique_ptr<WindowDetails> WindowDetails::FindOtherProcessWindow() {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(handle_, &processId);
    for (auto& record : ListTopLevelWindows()) {
        if (record->Text().empty() || !record->IsVisible() || record->Handle() == handle_ || record->IsMinimised())
            continue;
        const Gdiplus::Rect r = record->WindowRectangle();
        if (r.Width == 0 || r.Height == 0) continue;
        DWORD otherId = 0;
        ::GetWindowThreadProcessId(record->Handle(), &otherId);
        if (otherId == processId) return std::move(record);
    }
    return nullptr;
}

std::wstring WindowDetails::GetProcessPath() {
    if (!handle_) return {};
    DWORD processId = 0;
    ::GetWindowThreadProcessId(handle_, &processId);
    wchar_t buffer[MAX_PATH + 1] = {};
    {
        qel::UniqueKernelHandle process(
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
        if (process && ::K32GetModuleFileNameExW(process.get(), nullptr, buffer, MAX_PATH) > 0) return buffer;
    }
    qel::UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!process) return {};
    if (OsVersion::IsVistaOrLater()) {
        DWORD size = MAX_PATH;
        if (::QueryFullProcessImageNameW(process.get(), 0, buffer, &size) && size > 0) return buffer;
    }
    if (!::K32GetProcessImageFileNameW(process.get(), buffer, MAX_PATH + 1)) return {};
    return DevicePathToDrivePath(buffer);
}

std::wstring WindowDetails::ReplaceDevicePrefix(const std::wstring& path, const std::wstring& deviceName,
                                                const std::wstring& driveName) {
    const size_t n = deviceName.size();
    if (n == 0 || path.size() < n) return {};
    if (::CompareStringOrdinal(path.c_str(), static_cast<int>(n), deviceName.c_str(), static_cast<int>(n), TRUE) !=
        CSTR_EQUAL)
        return {};
    // "\Device\HarddiskVolume1" is no prefix of "\Device\HarddiskVolume10\...".
    if (path.size() > n && path[n] != L'\\' && deviceName.back() != L'\\') return {};
    return driveName + path.substr(n);
}

std::wstring WindowDetails::DevicePathToDrivePath(const std::wstring& devicePath) {
    const DWORD needed = ::GetLogicalDriveStringsW(0, nullptr);
    if (needed == 0) return {};
    std::vector<wchar_t> drives(needed + 1, L'\0');
    if (!::GetLogicalDriveStringsW(static_cast<DWORD>(drives.size()), drives.data())) return {};
    for (const wchar_t* drive = drives.data(); *drive; drive += std::wcslen(drive) + 1) {
        const wchar_t name[3] = {drive[0], L':', L'\0'};
        wchar_t device[MAX_PATH] = {};
        if (!::QueryDosDeviceW(name, device, MAX_PATH)) break;
        std::wstring result = ReplaceDevicePrefix(devicePath, device, name);
        if (!result.empty()) return result;
    }
    return {};
}

std::wstring WindowDetails::GetFileDescription(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {};
    void* translation = nullptr;
    UINT translationBytes = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translation, &translationBytes) ||
        translationBytes < 4)
        return {};
    const WORD* languageAndCodePage = static_cast<const WORD*>(translation);
    wchar_t firstBlock[64];
    std::swprintf(firstBlock, 64, L"\\StringFileInfo\\%04x%04x\\FileDescription", languageAndCodePage[0],
                  languageAndCodePage[1]);
    for (const wchar_t* query : {L"\\StringFileInfo\\00000000\\FileDescription", static_cast<const wchar_t*>(firstBlock)}) {
        void* value = nullptr;
        UINT chars = 0;
        if (::VerQueryValueW(block.data(), query, &value, &chars) && value)
            return std::wstring(static_cast<const wchar_t*>(value), ::wcsnlen(static_cast<const wchar_t*>(value), chars));
    }
    return {};
}

bool WindowDetails::IsDwmEnabled() {
    if (OsVersion::IsWindows8OrLater()) return true;
    if (!OsVersion::IsVistaOrLater()) return false;
    BOOL enabled = FALSE;
    return SUCCEEDED(qel::Dwm().IsCompositionEnabled(&enabled)) && enabled;
}

void WindowDetails::BringToFront(HWND wnd) {
    const HWND foreground = ::GetForegroundWindow();
    if (foreground == wnd) return;
    WindowDetails record(wnd);
    if (!record.IsVisible() || !record.Answers()) return;
    const DWORD foregroundThread = ::GetWindowThreadProcessId(foreground, nullptr);
    const DWORD targetThread = ::GetWindowThreadProcessId(wnd, nullptr);
    if (foregroundThread != targetThread) {
        // Only a thread that shares the foreground's input may take the foreground.
        ::AttachThreadInput(foregroundThread, targetThread, TRUE);
        ::SetForegroundWindow(wnd);
        ::AttachThreadInput(foregroundThread, targetThread, FALSE);
    } else {
        ::SetForegroundWindow(wnd);
    }
    ::BringWindowToTop(wnd);
    const bool needsRestore = record.IsModernAppWindow() ? !record.IsVisible()
                                                         : (::IsIconic(wnd) || record.WindowRectangle().X <= kParkedX);
    if (needsRestore) SendRestore(wnd);
}

std::unique_ptr<WindowDetails> WindowDetails::ForegroundWindowRecord() {
    const HWND foreground = ::GetForegroundWindow();
    if (!foreground) return nullptr;
    if (qel::IgnoredWindows().Contains(foreground)) return std::make_unique<WindowDetails>(::GetDesktopWindow());
    auto record = std::make_unique<WindowDetails>(foreground);
    if (record->IsVisible()) return record;
    return std::make_unique<WindowDetails>(::GetDesktopWindow());
}

WindowRecordArray WindowDetails::EnumerateWindows(HWND parent) {
    WindowRecordArray records;
    EnumerationTarget target{parent, &records};
    // A null parent means the top-level windows, in z-order (front to back).
    if (parent)
        ::EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&target));
    else
        ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&target));
    if (parent) {
        const std::wstring title = ReadWindowText(parent);
        for (const auto& record : records) {
            record->text_ = title;
            if (record->parentHandle_ != parent) {
                record->parentHandle_ = parent;
                record->parent_.reset();
            }
        }
    }
    return records;
}

WindowRecordList WindowDetails::ListTopLevelWindows() {
    WindowRecordList list;
    for (auto& record : EnumerateWindows(nullptr)) {
        if (record) list.push_back(std::move(record));
    }
    return list;
}

WindowRecordList WindowDetails::ListModernAppWindows() {
    WindowRecordList list;
    for (HWND app = ::FindWindowW(kCoreWindowClass, nullptr); app;
         app = ::FindWindowExW(nullptr, app, kCoreWindowClass, nullptr)) {
        auto record = std::make_unique<WindowDetails>(app);
        const bool snapped = record->IsVisible() && !record->IsMaximised();
        list.push_back(std::move(record));
        if (snapped) {
            if (const HWND gutter = ::FindWindowW(kGutterClass, nullptr))
                list.push_back(std::make_unique<WindowDetails>(gutter));
        }
    }
    return list;
}

WindowRecordList WindowDetails::ListOnScreenWindows() {
    const Gdiplus::Rect screenBounds = ScreenGeometry::VirtualScreenBounds();
    WindowRecordList result;
    auto keepOnScreen = [&](WindowRecordList source) {
        for (auto& record : source) {
            if (record->IsOnScreen(screenBounds)) result.push_back(std::move(record));
        }
    };
    keepOnScreen(ListModernAppWindows());
    keepOnScreen(ListTopLevelWindows());
    return result;
}
