#include "ScrollCommands.h"

#include "CommandLine.h"

namespace host {

bool ParseScrollOptions(const std::vector<std::wstring>& args, ScrollOptions* options, std::wstring* error) {
    bool horizontal = false, vertical = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--horizontal") {
            horizontal = true;
        } else if (args[i] == L"--vertical") {
            vertical = true;
        } else if (args[i] == L"--scroll-delay" && i + 1 < args.size()) {
            if (!ParseMilliseconds(args[++i], &options->delayMs)) {
                *error = L"--scroll-delay takes milliseconds, 0 or more";
                return false;
            }
        } else {
            *error = args[i] + L": the options are --vertical, --horizontal and --scroll-delay MS";
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
