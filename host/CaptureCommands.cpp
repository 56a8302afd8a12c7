// The captures and the selections without an image, through the exported CPictavoUtil as an
// application calls it; images leave through the library's C helpers.
#include <QelPictavoDll.h>
#include <pictavo.h>

#include <memory>

#include "capture/Dib.h"
#include "Runners.h"
#include "ScrollCommands.h"

namespace host {

namespace {

// What host code can reach of the protected window copy: a derived class, as in an application.
class HostUtil : public CPictavoUtil {
public:
    using CPictavoUtil::DoCaptureFromWnd;
};

// Images are given back to the library that made them, never to this program's runtime.
using Image = UniqueDib;

// Saves and publishes a capture as the common options ask; nothingReason when there is none.
int Deliver(Image image, const CommandLine& line, Report& out, const wchar_t* nothingReason) {
    if (!image) return out.Fail(kNothing, std::wstring(L"nothing captured: ") + nothingReason);
    const Options& o = line.options;
    const long width = image->biWidth, height = image->biHeight < 0 ? -image->biHeight : image->biHeight;
    if (!o.output.empty()) {
        if (!pictavo_save_png(image.get(), o.output.c_str())) return out.Fail(kNothing, L"could not write " + o.output);
        out.Line(L"%ls %ldx%ld", o.output.c_str(), width, height);
    }
    if (o.clipboard) {
        if (!pictavo_copy_to_clipboard(image.get())) return out.Fail(kNothing, L"could not put the image on the clipboard");
        out.Line(L"clipboard %ldx%ld", width, height);
    }
    if (o.output.empty() && !o.clipboard) out.Line(L"captured %ldx%ld", width, height);
    out.json.Str(L"kind", L"image").Num(L"width", width).Num(L"height", height);
    if (o.output.empty()) out.json.Null(L"output");
    else out.json.Str(L"output", o.output);
    out.json.Bool(L"clipboard", o.clipboard);
    return kDone;
}

int ReportRect(const CRect& r, Report& out, const wchar_t* nothingReason) {
    if (r.Width() <= 0 || r.Height() <= 0) return out.Fail(kNothing, nothingReason);
    out.Line(L"%ld,%ld,%ld,%ld (%dx%d)", r.left, r.top, r.right, r.bottom, r.Width(), r.Height());
    out.json.Str(L"kind", L"rectangle").Raw(L"rect", JsonRect(r.left, r.top, r.right, r.bottom));
    return kDone;
}

bool ParseSizeArgument(const CommandLine& line, Report& out, int* width, int* height) {
    if (ParseSize(line.args[0], width, height)) return true;
    out.Fail(kBadArguments, L"the size is WxH, both above 0, for example 640x360");
    return false;
}

int CaptureShape(const CommandLine& line, Report& out, const Start& start, int shape, const wchar_t* nothingReason) {
    start();
    return Deliver(Image(CPictavoUtil().CaptureShapeRegion(line.options.cursor, shape)), line, out, nothingReason);
}

int CaptureScroll(const CommandLine& line, Report& out, const Start& start, bool active) {
    ScrollOptions scroll;
    std::wstring error;
    if (!ParseScrollOptions(line.args, &scroll, &error)) return out.Fail(kBadArguments, error);
    const int h = scroll.horizontal, v = scroll.vertical;
    start();
    if (active)
        return Deliver(Image(CPictavoUtil().CaptureActiveScrollWindow(h, v, scroll.delayMs)), line, out,
                       L"no focus window, or it could not be copied");
    return Deliver(Image(CPictavoUtil().CaptureScrollWindow(h, v, scroll.delayMs)), line, out,
                   L"no window picked, or it could not be copied");
}

}  // namespace

int Fullscreen(const CommandLine& line, Report& out, const Start& start) {
    start();
    return Deliver(Image(CPictavoUtil().CaptureFullScreen(line.options.cursor)), line, out, L"screen");
}

int ActiveWindow(const CommandLine& line, Report& out, const Start& start) {
    start();
    return Deliver(Image(CPictavoUtil().CaptureActiveWindow(line.options.cursor)), line, out, L"active window");
}

int Menu(const CommandLine& line, Report& out, const Start& start) {
    start();
    return Deliver(Image(CPictavoUtil().CaptureMenuObject(line.options.cursor)), line, out, L"no popup menu under the cursor");
}

int Window(const CommandLine& line, Report& out, const Start& start) {
    start();
    return Deliver(Image(CPictavoUtil().CaptureWindowObject(line.options.cursor)), line, out, L"no window picked");
}

int Region(const CommandLine& line, Report& out, const Start& start) {
    int shape = 1;
    if (!line.args.empty()) {
        const std::wstring name = line.args.size() == 2 && line.args[0] == L"--shape" ? line.args[1] : L"";
        shape = name == L"rect" ? 1 : name == L"ellipse" ? 2 : name == L"rounded" ? 3 : 0;
        if (shape == 0) return out.Fail(kBadArguments, L"--shape takes rect, ellipse or rounded");
    }
    return CaptureShape(line, out, start, shape, L"no region selected");
}

int Polygon(const CommandLine& line, Report& out, const Start& start) {
    return CaptureShape(line, out, start, 5, L"no polygon");
}

int Freehand(const CommandLine& line, Report& out, const Start& start) {
    return CaptureShape(line, out, start, 6, L"no outline");
}

int Fixed(const CommandLine& line, Report& out, const Start& start) {
    int w = 0, h = 0;
    if (!ParseSizeArgument(line, out, &w, &h)) return kBadArguments;
    start();
    return Deliver(Image(CPictavoUtil().CaptureFixedRegion(line.options.cursor, 0, w, h)), line, out, L"no rectangle placed");
}

int WindowCopy(const CommandLine& line, Report& out, const Start& start) {
    HWND wnd = nullptr;
    if (!ParseHandleArgument(line.args[0], out, &wnd)) return kBadArguments;
    start();
    if (!::IsWindow(wnd)) return out.Fail(kNothing, L"not a window: " + line.args[0]);
    return Deliver(Image(HostUtil::DoCaptureFromWnd(CWnd::FromHandle(wnd), line.options.cursor)), line, out, L"window copy");
}

int Scroll(const CommandLine& line, Report& out, const Start& start) { return CaptureScroll(line, out, start, false); }

int ScrollActive(const CommandLine& line, Report& out, const Start& start) {
    return CaptureScroll(line, out, start, true);
}

int PickRegion(const CommandLine&, Report& out, const Start& start) {
    start();
    return ReportRect(CPictavoUtil::TokenRectangulareRegion(), out, L"no region selected");
}

int PickFixed(const CommandLine& line, Report& out, const Start& start) {
    int w = 0, h = 0;
    if (!ParseSizeArgument(line, out, &w, &h)) return kBadArguments;
    start();
    return ReportRect(CPictavoUtil::TokenFixedSizeRectanguluarRegion(w, h), out, L"no rectangle placed");
}

int PickWindow(const CommandLine&, Report& out, const Start& start) {
    start();
    HWND wnd = CPictavoUtil::TokenWindowObject();
    if (!wnd) return out.Fail(kNothing, L"no window picked");
    return ReportWindow(wnd, out);
}

}  // namespace host
