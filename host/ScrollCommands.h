#pragma once
// The options of the scrolling sub-commands: [--vertical] [--horizontal] [--scroll-delay MS].
#include <string>
#include <vector>

namespace host {

struct ScrollOptions {
    bool horizontal = true;   // with neither flag given, both directions are on
    bool vertical = true;
    unsigned long delayMs = 250;  // between a scroll step and the copy of the window after it
};

// False, with a one-line reason in error, for anything it does not take.
bool ParseScrollOptions(const std::vector<std::wstring>& args, ScrollOptions* options, std::wstring* error);

}  // namespace host
