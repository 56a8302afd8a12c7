#include "capture/WindowCaptureChoice.h"

#include <objidl.h>
#include <gdiplus.h>
#include <tlhelp32.h>

#include <algorithm>
#include <memory>

#include "Handles.h"
#include "capture/Capture.h"
#include "capture/CaptureSettings.h"
#include "capture/ImageHelpers.h"
#include "windows/Rectangles.h"
#include "windows/ScreenCopy.h"
#include "windows/WindowCapture.h"
#include "windows/WindowDetails.h"

namespace WindowCaptureChoice {
namespace {

const wchar_t kPresentationFramework[] = L"PresentationFramework";
constexpr int kPresentationFrameworkLength = 21;
// Where the system parks minimised windows.
constexpr int kParkedX = -32000;
constexpr Gdiplus::ARGB kBlack = 0xFF000000;

unsigned long long PixelCount(Gdiplus::Image* image) {
    return static_cast<unsigned long long>(image->GetWidth()) * image->GetHeight();
}

// A window about to be copied is shown first: restored when minimised, else brought to the front.
void Present(WindowDetails& window) {
    if (!window.Answers()) return;
    if (window.IsMinimised()) {
        window.Restore();
    } else {
        WindowDetails::BringToFront(window.Handle());
    }
}

// Print-window into capture; false when the window could not print. A mostly black print is
// checked against a screen copy of the on-screen part of the window, which may replace it.
bool CaptureByPrinting(WindowDetails& window, ICapture* capture, const Gdiplus::Rect& clipped) {
    std::unique_ptr<Gdiplus::Bitmap> printed =
        WindowCapture::CapturePrintWindow(window, capture->IsCursorVisible() ? capture : nullptr);
    if (!printed) return false;
    const unsigned long long printPixels = PixelCount(printed.get());
    const unsigned printShare = BlackShare(ImageHelpers::CountColor(printed.get(), kBlack), printPixels);
    capture->SetImage(printed.release());
    const Gdiplus::Rect windowRect = window.WindowRectangle();
    capture->SetLocation(POINT{windowRect.X, windowRect.Y});
    if (printShare < 1) return true;

    // Some programs print black; what the screen shows of them is the better image then.
    std::unique_ptr<Gdiplus::Bitmap> onScreen = ScreenGeometry::CopyScreenRectangle(nullptr, clipped);
    if (!onScreen) return true;
    const unsigned long long screenPixels = static_cast<unsigned long long>(clipped.Width) * clipped.Height;
    const unsigned screenShare = BlackShare(ImageHelpers::CountColor(onScreen.get(), kBlack), screenPixels);
    if (PreferScreenCopy(printPixels, printShare, screenPixels, screenShare)) {
        capture->SetImage(onScreen.release());
        // The screen copy was taken at the on-screen part of the window.
        capture->SetLocation(POINT{clipped.X, clipped.Y});
    }
    return true;
}

bool CaptureScreenCopy(WindowDetails& window, ICapture* capture, const Gdiplus::Rect& clipped) {
    // Where a window that has gone was, the screen shows something else.
    if (!::IsWindow(window.Handle())) return false;
    Present(window);
    capture->SetImage(ScreenGeometry::CopyScreenRectangle(nullptr, clipped).release());
    capture->SetLocation(POINT{clipped.X, clipped.Y});
    return capture->GetImage() != nullptr;
}

}  // namespace

int ResolveAutomaticMethod(const MethodFacts& facts, const std::function<bool()>& usesPresentationFramework) {
    int method = kScreenCopy;
    if (!facts.modernApp && facts.printWindowPermitted &&
        (facts.dwmEnabled || !usesPresentationFramework || !usesPresentationFramework()))
        method = kPrintWindow;
    if (facts.dwmEnabled && (facts.modernApp || facts.compositorPermitted)) method = kCompositor;
    return method;
}

bool IsPresentationFrameworkModule(const std::wstring& moduleName) {
    if (moduleName.size() < static_cast<size_t>(kPresentationFrameworkLength)) return false;
    return ::CompareStringOrdinal(moduleName.c_str(), kPresentationFrameworkLength, kPresentationFramework,
                                  kPresentationFrameworkLength, TRUE) == CSTR_EQUAL;
}

unsigned BlackShare(unsigned long long blackPixels, unsigned long long totalPixels) {
    if (totalPixels == 0) return 0;
    return static_cast<unsigned>(blackPixels * 100 / totalPixels);
}

bool PreferScreenCopy(unsigned long long printPixels, unsigned printShare, unsigned long long screenPixels,
                      unsigned screenShare) {
    if (printPixels == screenPixels && printShare > screenShare) return true;
    return printPixels > screenPixels && printShare > 50 && printShare > screenShare;
}

bool IsCapturableForeground(bool modernApp, bool visible, bool iconic, int x) {
    if (modernApp) return visible;
    return !iconic && x > kParkedX;
}

bool HasPresentationFrameworkModule(DWORD processId) {
    qel::UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return false;
    qel::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot) return false;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Module32FirstW(snapshot.get(), &entry); more; more = ::Module32NextW(snapshot.get(), &entry)) {
        if (IsPresentationFrameworkModule(entry.szModule)) return true;
    }
    return false;
}

ICapture* CaptureWindow(WindowDetails& window, ICapture* capture, int method) {
    std::unique_ptr<ICapture> created;
    if (!capture) {
        created = std::make_unique<Capture>();
        capture = created.get();
    }
    Gdiplus::Rect windowRect = window.WindowRectangle();
    const bool dwmEnabled = WindowDetails::IsDwmEnabled();
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window.Handle(), &processId);
    const std::wstring processPath = window.GetProcessPath();
    const bool modernApp = window.IsModernAppWindow();
    const bool printPermitted = WindowCapture::PrintWindowPermitted(processPath);
    const bool compositorPermitted = WindowCapture::ThumbnailCapturePermitted(processPath);

    if (method == kAutomatic) {
        const MethodFacts facts{dwmEnabled, modernApp, printPermitted, compositorPermitted};
        method = ResolveAutomaticMethod(facts, [processId] { return HasPresentationFrameworkModule(processId); });
    }
    windowRect = Rects::Intersection(windowRect, capture->GetScreenBounds());

    bool captured = false;
    for (bool done = false; !done;) {
        if (method == kCompositor) {
            // A capture without an image is no result: the next method is tried.
            if ((modernApp || compositorPermitted) && WindowCapture::CaptureThumbnailWindow(window, capture) &&
                capture->GetImage()) {
                captured = done = true;
            } else {
                method = kPrintWindow;
            }
        } else if (method == kPrintWindow && printPermitted) {
            Present(window);
            if (CaptureByPrinting(window, capture, windowRect)) {
                captured = done = true;
            } else {
                method = kScreenCopy;
            }
        } else if (method == kPrintWindow) {
            method = kScreenCopy;
        } else {
            captured = CaptureScreenCopy(window, capture, windowRect);
            done = true;
        }
    }
    if (!captured) return nullptr;

    if (ICaptureDetails* details = capture->GetDetails()) details->SetTitle(window.Text());
    created.release();
    return capture;
}

bool CaptureActiveWindowStep(ICapture* capture) {
    if (!capture) return false;
    std::unique_ptr<WindowDetails> window = WindowDetails::ForegroundWindowRecord();
    if (!window) return false;
    const bool modernApp = window->IsModernAppWindow();
    const bool visible = modernApp && window->IsVisible();
    const bool iconic = ::IsIconic(window->Handle()) != FALSE;
    if (!IsCapturableForeground(modernApp, visible, iconic, window->WindowRectangle().X)) return false;

    const Gdiplus::Rect r = window->WindowRectangle();
    if (r.Width == 0 || r.Height == 0) {
        window = window->FindOtherProcessWindow();
        if (!window) return false;
    }
    return CaptureWindow(*window, capture, CaptureSettings::Get().WindowCaptureMethod) != nullptr;
}

}  // namespace WindowCaptureChoice
