// consumer: the capture library's exported classes from C++. Saves the monitor under the mouse cursor as
// monitor.png and, given a window handle, a plain copy of that window as window.png, in the folder given.
//
//   consumer FOLDER [WINDOW]      WINDOW as a number, e.g. 0x1003a
//
// Exit status: 0 everything saved, 1 nothing captured or a file not written, 2 bad arguments.
#include <QelImageTransform.h>
#include <QelPictavoDll.h>
#include <pictavo.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

// The window copy is protected: a host reaches it through a class of its own.
class WindowCopier : public CPictavoUtil {
public:
    static BITMAPINFOHEADER* Copy(HWND window) { return DoCaptureFromWnd(CWnd::FromHandle(window), 0); }
};

// Captures come from the library's runtime, so they go back to it.
struct ReleaseDib {
    void operator()(BITMAPINFOHEADER* dib) const { QelImageTransform::ReleaseDIB(dib); }
};
using Dib = std::unique_ptr<BITMAPINFOHEADER, ReleaseDib>;

bool Save(const Dib& dib, const CString& folder, LPCWSTR name) {
    if (!dib) {
        std::fwprintf(stderr, L"consumer: nothing captured for %ls\n", name);
        return false;
    }
    CString path = folder;
    const wchar_t last = path[path.GetLength() - 1];
    if (last != L'\\' && last != L'/') path += L'\\';
    path += name;
    if (!pictavo_save_png(dib.get(), path)) {
        std::fwprintf(stderr, L"consumer: could not write %ls\n", path.GetString());
        return false;
    }
    std::wprintf(L"%ls %ldx%ld\n", path.GetString(), static_cast<long>(dib->biWidth), std::labs(dib->biHeight));
    return true;
}

HWND ParseWindow(const char* text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);
    const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
    return *text && *end == '\0' && ::IsWindow(window) ? window : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const HWND window = argc == 3 ? ParseWindow(argv[2]) : nullptr;
    if (argc < 2 || argc > 3 || !argv[1][0] || (argc == 3 && !window)) {
        std::fprintf(stderr, "usage: consumer FOLDER [WINDOW]\n"
                             "  saves the monitor under the mouse cursor as FOLDER\\monitor.png and a copy of the\n"
                             "  window WINDOW (a handle such as 0x1003a) as FOLDER\\window.png\n");
        return 2;
    }
    const CString folder(argv[1]);
    CPictavoUtil util;
    if (!Save(Dib(util.CaptureFullScreen(0)), folder, L"monitor.png")) return 1;
    if (window && !Save(Dib(WindowCopier::Copy(window)), folder, L"window.png")) return 1;
    return 0;
}
