#pragma once
// What one sub-command produced: the lines a person reads, the fields --json prints instead, or why it
// came to nothing.
#include <string>

#include "Json.h"

namespace host {

enum ExitCode { kDone = 0, kNothing = 1, kBadArguments = 2 };

struct Report {
    std::wstring text;    // the human lines, each ending in a newline
    JsonObject json;      // the fields after "command" and "ok"
    std::wstring reason;  // one line: why nothing was captured or found, or what was wrong with the arguments

    // Appends one human line (printf form, newline added).
    void Line(const wchar_t* format, ...);
    // Records why and returns the exit code, so that a sub-command can end with `return out.Fail(...)`.
    int Fail(ExitCode code, const std::wstring& why);
};

// The report as the program prints it: on success the text, or with json one line of JSON, on stdout;
// otherwise the reason on stderr and, with json, {"command":..,"ok":false,"reason":..} on stdout.
void Emit(const std::wstring& command, int status, const Report& report, bool json);

}  // namespace host
