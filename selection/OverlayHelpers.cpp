#include "selection/OverlayHelpers.h"

#include <cmath>
#include <cwchar>
#include <memory>

#include "Handles.h"
#include "capture/CaptureSettings.h"

bool IsRemoteSession() {
    const CaptureSettings& settings = CaptureSettings::Get();
    if (settings.DisableRemoteOptimization) return false;
    if (settings.ForceRemoteOptimization) return true;
    return ::GetSystemMetrics(SM_REMOTESESSION) != 0;
}

int AnimationFrames(int normalFrames) { return IsRemoteSession() ? 1 : normalFrames; }

int RoundToPixels(double value) { return static_cast<int>(std::trunc(value + 0.5)); }

Gdiplus::Size MeasureText(const Gdiplus::FontFamily* fontFamily, const wchar_t* text, HWND window) {
    if (!fontFamily || !text) return Gdiplus::Size(0, 0);
    qel::WindowDc dc(window);
    if (!dc) return Gdiplus::Size(0, 0);
    Gdiplus::Graphics graphics(dc.get());
    Gdiplus::Font font(fontFamily, 8.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    Gdiplus::RectF bounds;
    const Gdiplus::Status status = graphics.MeasureString(text, static_cast<INT>(std::wcslen(text)), &font,
                                                          Gdiplus::RectF(0, 0, 1000, 500), nullptr, &bounds);
    if (status != Gdiplus::Ok) return Gdiplus::Size(0, 0);
    return Gdiplus::Size(RoundToPixels(bounds.Width), RoundToPixels(bounds.Height));
}

void AddRoundedRectangle(int x, int y, int width, int height, int radius, Gdiplus::GraphicsPath& path) {
    // The wrapper keeps a failing step's status as the path's last status and goes on with the next.
    const int d = 2 * radius;
    path.AddLine(x + radius, y, x + width - d, y);
    path.AddArc(x + width - d, y, d, d, 270.0f, 90.0f);
    path.AddLine(x + width, y + radius, x + width, y + height - d);
    path.AddArc(x + width - d, y + height - d, d, d, 0.0f, 90.0f);
    path.AddLine(x + width - d, y + height, x + radius, y + height);
    path.AddArc(x, y + height - d, d, d, 90.0f, 90.0f);
    path.AddLine(x, y + height - d, x, y + radius);
    path.AddArc(x, y, d, d, 180.0f, 90.0f);
    path.CloseFigure();
}

int SelectionCornerRadius(int width, int height) { return (width < height ? width : height) * 25 / 200; }
