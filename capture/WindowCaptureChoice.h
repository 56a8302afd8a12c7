#pragma once
// How the foreground window, or any one window, is captured: by a plain screen copy of its
// rectangle, by print-window, or through the compositor, and whether a print-window image that
// came out black is replaced by the screen copy.
#include <windows.h>

#include <functional>
#include <string>

class ICapture;
class WindowDetails;

namespace WindowCaptureChoice {

// Values of CaptureSettings::WindowCaptureMethod.
enum WindowCaptureMethod {
    kScreenCopy = 0,
    kPrintWindow = 1,
    kCompositor = 2,
    kAutomatic = 4,
};

// Rules, free of window and device calls.

struct MethodFacts {
    bool dwmEnabled;
    bool modernApp;
    bool printWindowPermitted;
    bool compositorPermitted;
};
// The automatic choice. usesPresentationFramework is asked only when its answer matters: with the
// compositor off, print-window is not chosen for such a process.
int ResolveAutomaticMethod(const MethodFacts& facts, const std::function<bool()>& usesPresentationFramework);

// True for a module name beginning with "PresentationFramework", in any case.
bool IsPresentationFrameworkModule(const std::wstring& moduleName);

// blackPixels * 100 / totalPixels, rounded down; 0 for no pixels.
unsigned BlackShare(unsigned long long blackPixels, unsigned long long totalPixels);

// Whether a print-window image (printPixels, printShare % black) gives way to the screen copy
// (screenPixels, screenShare % black): at the same size when it is blacker; when it is larger than
// the on-screen part, only when it is mostly black and blacker.
bool PreferScreenCopy(unsigned long long printPixels, unsigned printShare, unsigned long long screenPixels,
                      unsigned screenShare);

// Whether a foreground window can be captured where it stands: a modern app when visible, any other
// window when neither minimised nor parked off the screen at x = -32000.
bool IsCapturableForeground(bool modernApp, bool visible, bool iconic, int x);

// The system side.

// True when the process has a module whose name begins with "PresentationFramework"; false also
// when its modules cannot be listed.
bool HasPresentationFrameworkModule(DWORD processId);

// Captures window into capture (a new capture when null, then owned by the caller) by method, falling
// through compositor, print-window and screen copy until one gives an image; the details get the
// window's title. Null when no method gave an image (a capture made here is released then).
ICapture* CaptureWindow(WindowDetails& window, ICapture* capture, int method);

// Captures the foreground window into capture with CaptureSettings::WindowCaptureMethod. False when
// there is no foreground window, it is minimised or parked, or no image could be made.
bool CaptureActiveWindowStep(ICapture* capture);

}  // namespace WindowCaptureChoice
