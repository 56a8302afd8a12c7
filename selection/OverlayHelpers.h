#pragma once
// Helpers shared by every selection overlay.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

// True when animations should be cut to one frame: never when DisableRemoteOptimization is set,
// always when ForceRemoteOptimization is set, otherwise when the session is a remote one.
bool IsRemoteSession();
// The frame count for an animation: 1 in a remote session (highlights jump), else normalFrames.
int AnimationFrames(int normalFrames);

// Half up to whole pixels: truncate(value + 0.5).
int RoundToPixels(double value);
// The size of the string at 8 points (regular, unit point) in the family, measured on the window's DC
// (the screen's for null) in a 1000 x 500 layout box, each side rounded half up. (0, 0) when it cannot
// be measured.
Gdiplus::Size MeasureText(const Gdiplus::FontFamily* fontFamily, const wchar_t* text, HWND window = nullptr);

// Appends one closed figure: the rectangle with its corners rounded by quarter arcs of the radius.
// A failing step is left in the path's last status and the remaining steps still run.
void AddRoundedRectangle(int x, int y, int width, int height, int radius, Gdiplus::GraphicsPath& path);
// The corner radius of the rounded-rectangle selection shape: min(width, height) * 25 / 200.
int SelectionCornerRadius(int width, int height);
