#include "Report.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace host {

void Report::Line(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    // vswprintf tells only that the line did not fit, not how long it is: grow until it does.
    for (std::vector<wchar_t> line(512); line.size() <= 65536; line.resize(line.size() * 4)) {
        va_list attempt;
        va_copy(attempt, args);
        const int n = std::vswprintf(line.data(), line.size(), format, attempt);
        va_end(attempt);
        if (n >= 0) {
            text.append(line.data(), static_cast<size_t>(n));
            break;
        }
    }
    va_end(args);
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
