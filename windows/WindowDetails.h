#pragma once
// One window as a capture sees it: class, title, rectangle, visibility, modern-app classification,
// parent and children, owning process. Answers are read on demand and cached.
// Rectangles are (X, Y, Width, Height) in virtual-screen pixels.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

class WindowDetails;

// Records handed out by the list operations belong to whoever holds these containers.
using WindowRecordList = std::list<std::unique_ptr<WindowDetails>>;
using WindowRecordArray = std::vector<std::unique_ptr<WindowDetails>>;

class WindowDetails {
public:
    // A record with every cache empty; the handle never changes.
    explicit WindowDetails(HWND handle);
    // Releases the parent and child records this record made.
    ~WindowDetails();
    WindowDetails(const WindowDetails&) = delete;
    WindowDetails& operator=(const WindowDetails&) = delete;

    HWND Handle() const { return handle_; }
    // 0 until ResolveParent found one.
    HWND ParentHandle() const { return parentHandle_; }
    // The record ResolveParent made; null before. Owned by this record.
    WindowDetails* Parent() const { return parent_.get(); }

    // Cached once non-empty; an empty answer is asked again next time.
    const std::wstring& ClassName();
    const std::wstring& Text();

    // Refreshed at most every 2 s, never once frozen; an empty answer never replaces a good one.
    Gdiplus::Rect WindowRectangle();
    // From now on a non-empty cached rectangle is returned for good.
    void Freeze() { frozen_ = true; }
    bool IsFrozen() const { return frozen_; }

    bool IsVisible();
    bool IsMinimised();
    bool IsMaximised();
    bool IsCloaked();
    bool IsCoreWindowClass();  // "Windows.UI.Core.CoreWindow"
    bool IsModernAppWindow();  // that or "ImmersiveLauncher"

    // Looks up the parent once it exists; false (and asked again next time) while there is none.
    bool ResolveParent();
    // The direct child records, read once and kept (levels > 0 pre-reads that many levels below).
    // The pointers stay valid as long as this record.
    std::vector<WindowDetails*> GetChildren(int levels = 0);
    // Left and top edges inclusive, right and bottom exclusive.
    bool Contains(POINT p);
    // This record or one of its descendants (owned by this record); null when p is outside.
    WindowDetails* DeepestChildAt(POINT p);
    // Visible, not minimised, overlapping screenBounds, and drawn through a redirection surface.
    bool IsOnScreen(const Gdiplus::Rect& screenBounds);

    // Whether the window's thread answers messages; once it did not, the record keeps that answer.
    bool Answers();
    // Un-minimises (waiting at most 2 s for it) and brings the window to the front; nothing for a window
    // that does not answer.
    void Restore();
    // Full path of the owning process's image; empty when the process cannot be asked.
    std::wstring GetProcessPath();
    // Another visible, titled, non-minimised window of the same process; the caller owns it.
    std::unique_ptr<WindowDetails> FindOtherProcessWindow();

    static bool IsDwmEnabled();
    static void BringToFront(HWND wnd);
    // The foreground window (the desktop when it is ours or invisible); null when there is none.
    static std::unique_ptr<WindowDetails> ForegroundWindowRecord();
    // New records for the direct children of parent (top-level windows for null), skipping ignored
    // windows. Records of children show the parent's title.
    static WindowRecordArray EnumerateWindows(HWND parent);
    static WindowRecordList ListTopLevelWindows();
    static WindowRecordList ListModernAppWindows();
    // Modern-app windows first, then top-level windows front to back; only those on screen.
    static WindowRecordList ListOnScreenWindows();
    static std::wstring GetFileDescription(const std::wstring& path);

    // "\Device\HarddiskVolume1\x" → "C:\x" through the system's drive mapping; empty when no drive maps.
    static std::wstring DevicePathToDrivePath(const std::wstring& devicePath);
    // driveName + the rest of path when path lies on deviceName (whole path components, any case).
    static std::wstring ReplaceDevicePrefix(const std::wstring& path, const std::wstring& deviceName,
                                            const std::wstring& driveName);

private:
    void CacheRectangle(const Gdiplus::Rect& rect, DWORD now);

    HWND handle_;
    HWND parentHandle_ = nullptr;
    std::wstring text_;
    std::wstring className_;
    std::unique_ptr<WindowDetails> parent_;
    std::unique_ptr<WindowRecordArray> children_;
    Gdiplus::Rect lastRectangle_;
    DWORD rectangleTime_ = 0;
    bool frozen_ = false;
    bool measuringRectangle_ = false;
    bool answers_ = true;
};
