#pragma once
// The sub-commands' runners, by file. Each has had its argument count checked and returns its exit code.
#include <windows.h>

#include <string>

#include "Commands.h"

namespace host {

// Shared by the runners: a window handle argument (false, with the reason in out, when it is none) and a
// window's report, handle and class.
bool ParseHandleArgument(const std::wstring& text, Report& out, HWND* wnd);
int ReportWindow(HWND wnd, Report& out);

// CaptureCommands.cpp: the captures and the selections without an image.
int Fullscreen(const CommandLine& line, Report& out, const Start& start);
int ActiveWindow(const CommandLine& line, Report& out, const Start& start);
int Menu(const CommandLine& line, Report& out, const Start& start);
int Window(const CommandLine& line, Report& out, const Start& start);
int Region(const CommandLine& line, Report& out, const Start& start);
int Polygon(const CommandLine& line, Report& out, const Start& start);
int Freehand(const CommandLine& line, Report& out, const Start& start);
int Fixed(const CommandLine& line, Report& out, const Start& start);
int WindowCopy(const CommandLine& line, Report& out, const Start& start);
int Scroll(const CommandLine& line, Report& out, const Start& start);
int ScrollActive(const CommandLine& line, Report& out, const Start& start);
int PickRegion(const CommandLine& line, Report& out, const Start& start);
int PickFixed(const CommandLine& line, Report& out, const Start& start);
int PickWindow(const CommandLine& line, Report& out, const Start& start);

// WindowCommands.cpp: window queries, monitors, the DIB section and the capture menu.
int WindowAt(const CommandLine& line, Report& out, const Start& start);
int WindowInfo(const CommandLine& line, Report& out, const Start& start);
int WindowBounds(const CommandLine& line, Report& out, const Start& start);
int TopmostParent(const CommandLine& line, Report& out, const Start& start);
int BehindTaskbar(const CommandLine& line, Report& out, const Start& start);
int OnWorkArea(const CommandLine& line, Report& out, const Start& start);
int FindWindowOfClass(const CommandLine& line, Report& out, const Start& start);
int Monitors(const CommandLine& line, Report& out, const Start& start);
int DibSection(const CommandLine& line, Report& out, const Start& start);
int CaptureMenu(const CommandLine& line, Report& out, const Start& start);

// ToolCommands.cpp: the recording-area selector, the flashing frame and the colour picker.
int SelectArea(const CommandLine& line, Report& out, const Start& start);
int Flash(const CommandLine& line, Report& out, const Start& start);
int PickColor(const CommandLine& line, Report& out, const Start& start);

}  // namespace host
