#include "ScrollCommands.h"

#include <cstdio>
#include <cwchar>

namespace host {

bool ParseScrollOptions(const std::vector<std::wstring>& args, ScrollOptions* options) {
    bool horizontal = false, vertical = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--horizontal") {
            horizontal = true;
        } else if (args[i] == L"--vertical") {
            vertical = true;
        } else if (args[i] == L"--delay" && i + 1 < args.size()) {
            const std::wstring& ms = args[++i];
            wchar_t* end = nullptr;
            const unsigned long long value = std::wcstoull(ms.c_str(), &end, 10);
            // wcstoull would take "-1" as the largest value.
            if (ms.empty() || ms[0] == L'-' || *end || value > 0xFFFFFFFFull) {
                std::fwprintf(stderr, L"--delay takes milliseconds, 0 or more\n");
                return false;
            }
            options->delayMs = static_cast<unsigned long>(value);
        } else {
            std::fwprintf(stderr, L"%ls: the options are --vertical, --horizontal and --delay MS\n", args[i].c_str());
            return false;
        }
    }
    if (horizontal || vertical) {
        options->horizontal = horizontal;
        options->vertical = vertical;
    }
    return true;
}

}  // namespace host
