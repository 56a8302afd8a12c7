// The host program, linked against the import libraries, run as a user would run it.
#include <gtest/gtest.h>
#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>

#include <set>
#include <sstream>
#include <string>

#include "Handles.h"
#include "TestSupport.h"

namespace {

// Runs pictavo.exe, found beside the test, with arguments; its exit status, or -1 when it could not run.
int RunHost(const std::wstring& arguments) { return qeltest::RunProgram(L"pictavo.exe", arguments, 60000); }

struct HostRun {
    int status = -1;
    std::string out, err;  // carriage returns removed
};

qel::UniqueFileHandle InheritableTempFile() {
    wchar_t dir[MAX_PATH] = L"", path[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"pic", 0, path);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return qel::UniqueFileHandle(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                               &inherit, CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

std::string ReadFromStart(HANDLE file) {
    std::string text;
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        for (DWORD i = 0; i < read; ++i)
            if (buffer[i] != '\r') text += buffer[i];
    return text;
}

// The same with what it wrote to stdout and stderr; files rather than pipes, so a long text cannot block it.
HostRun RunHostCaught(const std::wstring& arguments) {
    HostRun run;
    qel::UniqueFileHandle out = InheritableTempFile(), err = InheritableTempFile();
    if (!out || !err) return run;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out.get();
    si.hStdError = err.get();
    const std::wstring folder = qeltest::ExeFolder();
    std::wstring command = L"\"" + folder + L"pictavo.exe\" " + arguments;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &si, &pi)) return run;
    const qel::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    DWORD status = 0;
    if (!qeltest::EndProcess(process.get(), 60000) || !::GetExitCodeProcess(process.get(), &status)) return run;
    run.status = static_cast<int>(status);
    run.out = ReadFromStart(out.get());
    run.err = ReadFromStart(err.get());
    return run;
}

// The first word of each line of the list's "commands:" part.
std::set<std::string> ListedCommands(const std::string& list) {
    std::set<std::string> names;
    std::istringstream lines(list);
    std::string line;
    bool inList = false;
    while (std::getline(lines, line)) {
        if (line == "commands:") inList = true;
        else if (line.empty()) inList = false;
        else if (inList && line.size() > 2 && line.compare(0, 2, "  ") == 0 && line[2] != ' ')
            names.insert(line.substr(2, line.find(' ', 2) - 2));
    }
    return names;
}

}  // namespace

TEST(HostProgram, WritesTheMonitorUnderTheCursorAsPngAndReportsFailuresByStatus) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    POINT cursor;
    ::GetCursorPos(&cursor);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &info);

    const std::wstring png = qeltest::OutputPath(L"host-fullscreen.png");
    ::DeleteFileW(png.c_str());
    ASSERT_EQ(RunHost(L"-o \"" + png + L"\" fullscreen"), 0);
    {
        Gdiplus::Bitmap image(png.c_str());
        ASSERT_EQ(image.GetLastStatus(), Gdiplus::Ok);
        const RECT& m = info.rcMonitor;
        EXPECT_EQ(qeltest::SizeOf(&image), qeltest::Size(m.right - m.left, m.bottom - m.top));
        EXPECT_EQ(image.GetPixelFormat(), PixelFormat32bppARGB);
    }
    EXPECT_EQ(RunHost(L"monitors"), 0);
    // Nothing to capture or find: 1; arguments it cannot take: 2.
    for (const wchar_t* nothing : {L"window-copy 0x1", L"window-info 0x1", L"window-bounds 0x1", L"topmost-parent 0x1",
                                   L"behind-taskbar 0x1", L"on-work-area 0x1", L"find-window NoSuchClassAnywhere",
                                   L"dib-section 16x16 7"})
        EXPECT_EQ(RunHost(nothing), 1) << nothing;
    for (const wchar_t* bad :
         {L"no-such-command", L"--delay x fullscreen", L"fullscreen --delay", L"--bogus fullscreen", L"fullscreen -o",
          L"window-at 1 x", L"region --shape star", L"fullscreen extra", L"fixed 0x10", L"pick-fixed 10", L"fixed -5x5",
          L"polygon extra", L"window-info 0xZZ", L"-o a.png monitors", L"window-info 0x1 --clipboard",
          L"--cursor pick-color", L"dib-section 16x16", L"dib-section 16x16 8 --compression", L"capture-menu menu",
          L"flash 1,2,3", L"select-area --fixed 1,2,0,4", L"help fullscreen extra"})
        EXPECT_EQ(RunHost(bad), 2) << bad;
    Gdiplus::GdiplusShutdown(token);
}

TEST(HostProgram, HelpListsACommandForEveryExportedCallAndEachHasItsOwnHelp) {
    const HostRun list = RunHostCaught(L"help");
    ASSERT_EQ(list.status, 0) << list.err;
    const std::set<std::string> names = ListedCommands(list.out);
    for (const char* expected :
         {"fullscreen", "active-window", "menu", "window", "region", "polygon", "freehand", "fixed", "pick-region",
          "pick-fixed", "pick-window", "window-copy", "window-at", "window-info", "find-window", "monitors",
          "select-area", "flash", "scroll", "scroll-active", "pick-color", "window-bounds", "topmost-parent",
          "behind-taskbar", "on-work-area", "dib-section", "capture-menu"})
        EXPECT_EQ(names.count(expected), 1u) << expected;

    std::string calls;  // every command's "Calls:" line
    for (const std::string& name : names) {
        const HostRun help = RunHostCaught(L"help " + std::wstring(name.begin(), name.end()));
        EXPECT_EQ(help.status, 0) << name;
        EXPECT_EQ(help.out.rfind("usage: pictavo [OPTIONS] " + name, 0), 0u) << help.out;
        const size_t at = help.out.find("\nCalls: ");
        if (at != std::string::npos) calls += help.out.substr(at, help.out.find('\n', at + 1) - at);
    }
    // Every exported call is made by some command, but the two that do nothing, which the list names.
    for (const char* call :
         {"CaptureFullScreen", "CaptureActiveWindow", "CaptureWindowObject", "CaptureShapeRegion", "CaptureFixedRegion",
          "CaptureMenuObject", "CaptureScrollWindow", "CaptureActiveScrollWindow", "PickScreenColor",
          "TokenRectangulareRegion", "TokenFixedSizeRectanguluarRegion", "TokenWindowObject", "GetWindowFromPoint",
          "IsBehindTaskBar", "IsWindowOnWorkArea", "GetWindowBoundRectangle", "GetTopMostLevelParentWindow",
          "DoCaptureFromWnd", "CreateDIBBitmap", "SetCaptureMenu", "g_hCaptureMenu", "CMouseCaptureWnd::CreateShiftWindow",
          "GetCaptureArea", "CFlashingWnd::CreateFlashing", "StartFlashing", "StopFlashing"})
        EXPECT_NE(calls.find(call), std::string::npos) << call;
    for (const char* nothing : {"CreateCatchScreenWindow", "DoCaptureFromClientArea"}) {
        EXPECT_EQ(calls.find(nothing), std::string::npos) << nothing;
        EXPECT_NE(list.out.find(nothing), std::string::npos) << nothing;
    }

    // No command, or help for one that does not exist: the list goes to stderr and nothing to stdout.
    for (const wchar_t* bad : {L"", L"help no-such-command"}) {
        const HostRun run = RunHostCaught(bad);
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_EQ(run.out, "") << bad;
        EXPECT_EQ(ListedCommands(run.err), names) << bad;
    }
}
