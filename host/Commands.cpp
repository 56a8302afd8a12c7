#include "Commands.h"

#include <cwchar>
#include <cwctype>

#include "Runners.h"

namespace host {

namespace {

const wchar_t kHandleArgument[] =
    L"HWND is a window handle: 0x and hexadecimal digits, the 16 digits the commands print, or decimal.";
const wchar_t kPickWindow[] = L"click the window to capture, or press Enter over it; Escape cancels";
const wchar_t kDragRegion[] =
    L"drag a region; releasing the button confirms, Enter starts and ends a drag at the pointer, Escape cancels";
const wchar_t kPlaceFixed[] = L"move the rectangle; U R B L C choose its anchor; a click or Enter confirms, Escape cancels";
const wchar_t kImagePrints[] =
    L"FILE WxH with -o, \"clipboard WxH\" with --clipboard, otherwise \"captured WxH\". The PNG keeps the alpha "
    L"channel: pixels outside a shape are transparent.\n"
    L"--json: kind \"image\", width, height, output (null without -o), clipboard.";

}  // namespace

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {L"fullscreen", L"", L"the monitor under the cursor",
         L"", nullptr, L"move the pointer onto the monitor to capture within %lu ms", nullptr,
         L"the screen could not be copied", L"CPictavoUtil::CaptureFullScreen", true, 0, 0, Fullscreen},
        {L"active-window", L"", L"the foreground window (the whole screen when it cannot be captured)",
         L"", nullptr, L"bring the window to capture to the front within %lu ms", nullptr,
         L"nothing could be copied", L"CPictavoUtil::CaptureActiveWindow", true, 0, 0, ActiveWindow},
        {L"menu", L"", L"the open popup menu under the cursor, with its open submenus",
         L"Without --delay the menu must already be open, with the pointer on it.", nullptr,
         L"open the popup menu within %lu ms and leave the pointer on it", nullptr,
         L"no popup menu under the cursor", L"CPictavoUtil::CaptureMenuObject", true, 0, 0, Menu},
        {L"window", L"", L"a window the user picks on the frozen screen",
         L"", kPickWindow, nullptr, nullptr,
         L"cancelled, or no window picked", L"CPictavoUtil::CaptureWindowObject", true, 0, 0, Window},
        {L"region", L"[--shape rect|ellipse|rounded]", L"a region the user drags on the frozen screen",
         L"--shape: the outline of the image, a rectangle (the default), an ellipse or a rounded rectangle; the "
         L"pixels outside it are transparent.",
         kDragRegion, nullptr, nullptr,
         L"cancelled", L"CPictavoUtil::CaptureShapeRegion (shapes 1, 2, 3)", true, 0, 2, Region},
        {L"polygon", L"", L"a polygon the user clicks on the frozen screen",
         L"", L"click the corners; a double click or Enter closes the polygon, a right click starts over, Escape cancels",
         nullptr, nullptr,
         L"cancelled, or closed with fewer than 3 corners", L"CPictavoUtil::CaptureShapeRegion (shape 5)", true, 0, 0,
         Polygon},
        {L"freehand", L"", L"an outline the user draws on the frozen screen",
         L"", L"drag to draw the outline (a click adds a corner); a double click or Enter closes it, a right click "
              L"starts over, Escape cancels",
         nullptr, nullptr,
         L"cancelled, or closed with fewer than 3 points", L"CPictavoUtil::CaptureShapeRegion (shape 6)", true, 0, 0,
         Freehand},
        {L"fixed", L"WxH", L"a rectangle of that size the user places on the frozen screen",
         L"WxH: the size in pixels, both above 0, for example 640x360; a size larger than the screen is cut to it.",
         kPlaceFixed, nullptr, nullptr,
         L"cancelled", L"CPictavoUtil::CaptureFixedRegion", true, 1, 1, Fixed},
        {L"pick-region", L"", L"the rectangle the user drags, without an image",
         L"", kDragRegion, nullptr,
         L"L,T,R,B (WxH), relative to the top-left corner of the virtual screen.\n"
         L"--json: kind \"rectangle\", rect.",
         L"cancelled", L"CPictavoUtil::TokenRectangulareRegion", false, 0, 0, PickRegion},
        {L"pick-fixed", L"WxH", L"the rectangle of that size the user places, without an image",
         L"WxH: the size in pixels, both above 0.", kPlaceFixed, nullptr,
         L"L,T,R,B (WxH), relative to the top-left corner of the virtual screen.\n"
         L"--json: kind \"rectangle\", rect.",
         L"cancelled", L"CPictavoUtil::TokenFixedSizeRectanguluarRegion", false, 1, 1, PickFixed},
        {L"pick-window", L"", L"the handle of the window the user picks",
         L"", L"click the window to pick, or press Enter over it; Escape cancels", nullptr,
         L"HANDLE CLASS.\n--json: kind \"window\", handle, class.",
         L"cancelled, or no window picked", L"CPictavoUtil::TokenWindowObject", false, 0, 0, PickWindow},
        {L"window-copy", L"HWND", L"a plain screen copy of one window, as it shows on the screen",
         kHandleArgument, nullptr, nullptr, nullptr,
         L"not a window, or it could not be copied", L"CPictavoUtil::DoCaptureFromWnd (protected: through a derived class)",
         true, 1, 1, WindowCopy},
        {L"window-at", L"X Y", L"the deepest visible window at a screen point",
         L"X Y: the point in screen pixels (negative left of or above the primary monitor).", nullptr, nullptr,
         L"HANDLE CLASS; the desktop window where no other window is.\n"
         L"--json: kind \"window\", handle, class, point.",
         L"no window there", L"CPictavoUtil::GetWindowFromPoint", false, 2, 2, WindowAt},
        {L"window-info", L"HWND", L"all four window queries at once",
         kHandleArgument, nullptr, nullptr,
         L"four lines: \"bounds L,T,R,B (WxH)\", \"topmost-parent HANDLE\" (zeros for none), \"behind-taskbar 0|1\", "
         L"\"on-work-area 0|1\".\n"
         L"--json: kind \"window-info\", target, bounds, topmost_parent (null for none), behind_taskbar, on_work_area.",
         L"not a window",
         L"CPictavoUtil::GetWindowBoundRectangle, GetTopMostLevelParentWindow, IsBehindTaskBar, IsWindowOnWorkArea",
         false, 1, 1, WindowInfo},
        {L"window-bounds", L"HWND", L"the window's rectangle clipped to its window region",
         kHandleArgument, nullptr, nullptr,
         L"bounds L,T,R,B (WxH), in screen pixels.\n--json: kind \"rectangle\", target, rect.",
         L"not a window", L"CPictavoUtil::GetWindowBoundRectangle", false, 1, 1, WindowBounds},
        {L"topmost-parent", L"HWND", L"the nearest topmost window among the window and its parents",
         kHandleArgument, nullptr, nullptr,
         L"HANDLE CLASS.\n--json: kind \"window\", target, handle, class.",
         L"not a window, or neither it nor a parent is topmost", L"CPictavoUtil::GetTopMostLevelParentWindow", false, 1,
         1, TopmostParent},
        {L"behind-taskbar", L"HWND", L"whether the window lies below the taskbar in z-order",
         kHandleArgument, nullptr, nullptr,
         L"behind-taskbar 0|1.\n--json: kind \"flag\", target, value.",
         L"not a window", L"CPictavoUtil::IsBehindTaskBar", false, 1, 1, BehindTaskbar},
        {L"on-work-area", L"HWND", L"whether a copy of the window is clipped to the work area",
         kHandleArgument, nullptr, nullptr,
         L"on-work-area 0|1.\n--json: kind \"flag\", target, value.",
         L"not a window", L"CPictavoUtil::IsWindowOnWorkArea", false, 1, 1, OnWorkArea},
        {L"find-window", L"CLASS", L"the first top-level window of a class",
         L"CLASS: a window class name, for example Notepad.", nullptr, nullptr,
         L"HANDLE (16 hexadecimal digits).\n--json: kind \"window\", handle, class.",
         L"no window of that class", L"none of the library (FindWindowW)", false, 1, 1, FindWindowOfClass},
        {L"monitors", L"", L"the monitors and the virtual screen",
         L"", nullptr, nullptr,
         L"one line per monitor, \"monitor L,T,R,B work L,T,R,B\" and \" primary\" for the primary one, then "
         L"\"virtual X,Y WxH\".\n"
         L"--json: kind \"monitors\", monitors (an array of {rect, work, primary}), virtual.",
         L"never", L"none of the library (EnumDisplayMonitors)", false, 0, 0, Monitors},
        {L"dib-section", L"WxH BITS [--compression N]", L"makes a DIB section, prints what it is, deletes it",
         L"WxH: the size, both above 0. BITS: bits per pixel (the library takes 1, 4, 8, 16, 24 and 32). --compression: "
         L"the biCompression value, 0 (BI_RGB, the default) or 3 (BI_BITFIELDS, with 5-6-5 masks for 16 bits and "
         L"8-8-8 masks for 32).",
         nullptr, nullptr,
         L"dib-section WxH bits B planes P stride S compression C size N, as GetObject reports the section.\n"
         L"--json: kind \"dib-section\", width, height, bits_per_pixel, planes, stride, compression, image_size.",
         L"the library refused the section", L"CPictavoUtil::CreateDIBBitmap", false, 2, 4, DibSection},
        {L"capture-menu", L"HMENU", L"stores a menu handle for the host and prints the stored handle",
         L"HMENU: a menu handle, written as HWND is; the library only keeps it, so any value is taken, 0 too.",
         nullptr, nullptr,
         L"g_hCaptureMenu HANDLE.\n--json: kind \"menu\", handle.",
         L"never", L"CPictavoUtil::SetCaptureMenu, CPictavoUtil::g_hCaptureMenu", false, 1, 1, CaptureMenu},
        {L"select-area", L"[--fixed X,Y,W,H]", L"a recording area the user drags, or moves at a given size",
         L"--fixed X,Y,W,H: the area to move, W x H pixels with its top-left corner at X,Y.",
         L"drag the area, releasing the button confirms; with --fixed move it, a click confirms, a right click "
         L"cancels; Escape cancels",
         nullptr,
         L"area L,T,R,B width W height H, where R and B are the area's last pixels.\n"
         L"--json: kind \"rectangle\", rect (right and bottom just outside the area, as everywhere in --json).",
         L"cancelled, or the selector could not show",
         L"CMouseCaptureWnd::CreateShiftWindow (and InitDrawShiftWindow with --fixed), GetCaptureArea", false, 0, 2,
         SelectArea},
        {L"flash", L"X,Y,W,H [--thin] [--seconds N]", L"a blinking frame around an area, which the user may drag",
         L"X,Y,W,H: the area in screen pixels. --thin: a thin closed frame instead of four corner brackets. --seconds: "
         L"how long the frame shows, 5 by default.",
         L"drag the frame to move it; it closes by itself after the given seconds", nullptr,
         L"\"area L,T,R,B width W height H\", or \"moved ...\" after a drag: where the frame was at the end.\n"
         L"--json: kind \"rectangle\", rect, moved.",
         L"the frame could not be shown",
         L"CFlashingWnd::CreateFlashing, SetMovable, StartFlashing, StopFlashing, Rect, NewRegionUsed", false, 1, 4,
         Flash},
        {L"scroll", L"[--vertical] [--horizontal] [--scroll-delay MS]",
         L"a window the user picks, scrolled to its end and stitched",
         L"--vertical, --horizontal: the direction; with neither or both the window's scroll bars decide. "
         L"--scroll-delay: milliseconds from each scroll step to its copy, 250 by default.",
         L"click the window to scroll, or press Enter over it (Escape cancels); it is scrolled to its end, Escape "
         L"stops it sooner",
         nullptr, nullptr,
         L"cancelled, or nothing could be copied", L"CPictavoUtil::CaptureScrollWindow", true, 0, 4, Scroll},
        {L"scroll-active", L"[--vertical] [--horizontal] [--scroll-delay MS]",
         L"the same with the focus window of the foreground window",
         L"The options are those of scroll. With --delay the user has that long to focus the window.",
         L"the focus window is scrolled to its end; Escape stops it sooner",
         L"focus the window to scroll within %lu ms; it is then scrolled to its end, Escape stops it sooner", nullptr,
         L"no focus window, or nothing could be copied", L"CPictavoUtil::CaptureActiveScrollWindow", true, 0, 4,
         ScrollActive},
        {L"pick-color", L"", L"the colour of the primary-screen pixel the user clicks",
         L"", L"click the colour to pick; Escape picks the colour under the pointer, Enter cancels", nullptr,
         L"#RRGGBB COLORREF 0x00BBGGRR.\n--json: kind \"color\", colorref, hex.",
         L"cancelled with Enter, or the picker could not show", L"CPictavoUtil::PickScreenColor", false, 0, 0,
         PickColor},
        {L"help", L"[COMMAND]", L"this list, or one command's full help",
         L"COMMAND: a command of the list.", nullptr, nullptr,
         L"the list, or the command's help.\n--json: kind \"help\", commands (an array of {name, arguments, summary}), "
         L"or name, arguments, summary, text.",
         L"never (an unknown command is a bad argument)", L"none", false, 0, 1, nullptr},
    };
    return commands;
}

const Command* FindCommand(const std::wstring& name) {
    for (const Command& c : Commands())
        if (name == c.name) return &c;
    return nullptr;
}

std::wstring UsageLine(const Command& c) {
    std::wstring line = L"usage: pictavo [OPTIONS] " + std::wstring(c.name);
    if (*c.arguments) line += L" " + std::wstring(c.arguments);
    return line;
}

std::wstring ListText() {
    std::wstring text =
        L"usage: pictavo [OPTIONS] COMMAND [ARGUMENTS]   (the options may also follow the command)\n"
        L"options:\n"
        L"  --cursor            draw the mouse cursor into the image\n"
        L"  --delay MS          wait MS milliseconds before the command starts\n"
        L"  -o, --output FILE   write the image to FILE as a PNG with its alpha channel\n"
        L"  --clipboard         put the image on the clipboard\n"
        L"  --json              print one line of JSON instead of text\n"
        L"  --cursor, -o and --clipboard apply to the commands that make an image; others refuse them (exit 2).\n"
        L"commands:\n";
    for (const Command& c : Commands()) {
        const std::wstring head = std::wstring(c.name) + L" " + c.arguments;
        // A long head gets its summary on the next line, in the same column.
        const std::wstring column(40, L' ');
        text += L"  " + head + (head.size() < 38 ? column.substr(head.size() + 2) : L"\n" + column) + c.summary + L"\n";
    }
    text +=
        L"\nexit status: 0 done, 1 nothing captured or found (the reason on stderr), 2 bad arguments.\n"
        L"pictavo help COMMAND tells a command's arguments, what the user does, what it prints.\n"
        L"CreateCatchScreenWindow and DoCaptureFromClientArea do nothing and always return null: no command calls "
        L"them.\n";
    return text;
}

std::wstring CommandText(const Command& c) {
    std::wstring summary = c.summary;
    summary[0] = static_cast<wchar_t>(std::towupper(summary[0]));
    std::wstring text = UsageLine(c) + L"\n" + summary + L".\n";
    if (*c.details) text += std::wstring(c.details) + L"\n";
    if (c.prompt) text += L"The user: " + std::wstring(c.prompt) + L".\n";
    if (c.delayedPrompt) {
        wchar_t line[256];
        std::swprintf(line, 256, c.delayedPrompt, 3000ul);
        text += L"With --delay 3000: " + std::wstring(line) + L".\n";
    }
    text += L"Prints: " + std::wstring(c.prints ? c.prints : kImagePrints) + L"\n";
    text += L"Calls: " + std::wstring(c.calls) + L".\n";
    text += L"Exit status: 0 done; 1 " + std::wstring(c.nothing) + L"; 2 bad arguments.\n";
    if (!c.image) text += L"It makes no image: --cursor, -o and --clipboard are refused.\n";
    return text;
}

std::wstring PromptText(const Command& c, const Options& o) {
    if (o.delayMs > 0 && c.delayedPrompt) {
        wchar_t line[256];
        std::swprintf(line, 256, c.delayedPrompt, o.delayMs);
        return line;
    }
    return c.prompt ? c.prompt : L"";
}

}  // namespace host
