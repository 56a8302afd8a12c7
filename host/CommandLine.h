#pragma once
// The command line split into the common options, the sub-command's name and its own arguments, and
// the number forms the sub-commands take. Nothing here touches a window.
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// The options every sub-command shares; they may stand before or after the sub-command's name.
struct Options {
    bool cursor = false;        // --cursor
    unsigned long delayMs = 0;  // --delay MS: a wait before the sub-command starts
    std::wstring output;        // -o FILE, --output FILE
    bool clipboard = false;     // --clipboard
    bool json = false;          // --json
};

struct CommandLine {
    Options options;
    std::wstring name;               // empty when no sub-command was named
    std::vector<std::wstring> args;  // what follows the name, less the common options
    std::wstring error;              // the first word that could not be taken; empty when all were
};

// words: the arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::wstring>& words);

// A decimal integer with an optional sign, nothing else.
bool ParseDecimal(const std::wstring& text, long long* value);
// Milliseconds from 0 to 0xFFFFFFFE (the largest 32-bit value would mean "for ever" to a wait).
bool ParseMilliseconds(const std::wstring& text, unsigned long* value);
// A handle: hexadecimal after 0x or in the 16 digits the sub-commands print, otherwise decimal.
bool ParseHandle(const std::wstring& text, std::uintptr_t* value);
// "WxH", both above 0.
bool ParseSize(const std::wstring& text, int* width, int* height);
// "X,Y,W,H", W and H above 0.
bool ParseArea(const std::wstring& text, long* x, long* y, long* width, long* height);

}  // namespace host
