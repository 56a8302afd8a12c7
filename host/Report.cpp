#include "Report.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

namespace host {

void Report::Line(const wchar_t* format, ...) {
    wchar_t line[1024];
    va_list args;
    va_start(args, format);
    const int n = std::vswprintf(line, sizeof(line) / sizeof(line[0]), format, args);
    va_end(args);
    if (n >= 0) text += line;
    text += L'\n';
}

int Report::Fail(ExitCode code, const std::wstring& why) {
    reason = why;
    return code;
}

void Emit(const std::wstring& command, int status, const Report& report, bool json) {
    if (status != kDone) std::fwprintf(stderr, L"%ls\n", report.reason.c_str());
    if (!json) {
        if (status == kDone) std::fputws(report.text.c_str(), stdout);
        return;
    }
    JsonObject line;
    if (command.empty()) line.Null(L"command");
    else line.Str(L"command", command);
    line.Bool(L"ok", status == kDone);
    if (status == kDone) line.Merge(report.json);
    else line.Str(L"reason", report.reason);
    const std::wstring text = line.Text();
    std::fwprintf(stdout, L"%ls\n", text.c_str());
}

}  // namespace host
