#pragma once
// Drawing of the recording-area marks on a device context: the hatched XOR frame of one rectangle and its
// label box, with what the label covers kept so that it can be put back.
#include <windows.h>

#include <string>
#include <vector>

#include "Handles.h"

namespace qel {

// One frame part and its label, in the coordinates of the DC they are drawn on.
struct AreaMark {
    RECT frame{};
    RECT labelBox{};
    POINT textOrigin{};
    std::wstring text;
    UniqueHbitmap under;  // the pixels the label covers; null while the label is not shown
};

// The monitors' rectangles in screen pixels, in the system's order.
std::vector<RECT> MonitorRects();

// Inverts the frame strips of r with the dark-blue cross-hatch; drawing twice restores the pixels.
void XorAreaFrame(HDC dc, const RECT& r);
// The marks for area (screen pixels, both edges counted): one per monitor part, positioned for a DC
// whose origin is dcOrigin on the screen. Nothing is drawn.
std::vector<AreaMark> LayOutAreaMarks(HDC dc, const RECT& area, const std::vector<RECT>& monitors, POINT dcOrigin);
// Draws the label box and text of one mark.
void DrawAreaLabel(HDC dc, const AreaMark& mark);
// Copies what lies under the mark's label into mark.under.
void SaveUnderLabel(HDC dc, AreaMark& mark);
// Puts back what lay under the label and forgets it.
void RestoreUnderLabel(HDC dc, AreaMark& mark);

}  // namespace qel
