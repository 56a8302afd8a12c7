#pragma once
// The sub-commands: one table with each one's arguments, help texts and runner, and the help built
// from it.
#include <functional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Report.h"

namespace host {

// Tells the user what to do and waits out --delay. A runner calls it once its own arguments are checked,
// right before the library's call, so that a bad argument neither prompts nor waits.
using Start = std::function<void()>;
// Runs a sub-command whose arguments have been counted; returns its exit code.
using Runner = int (*)(const CommandLine& line, Report& out, const Start& start);

struct Command {
    const wchar_t* name;
    const wchar_t* arguments;      // what follows the name in its usage line; "" when nothing
    const wchar_t* summary;        // the line in the list
    const wchar_t* details;        // its arguments explained and whatever else a user needs; "" when nothing
    const wchar_t* prompt;         // what the user is expected to do, for an interactive command; null otherwise
    const wchar_t* delayedPrompt;  // the same when --delay gives the user time to prepare (%lu: the delay); may be null
    const wchar_t* prints;         // what it prints; null for an image command, which prints the image line
    const wchar_t* nothing;        // when it exits with 1
    const wchar_t* calls;          // the library's calls it makes
    bool image;                    // it makes an image: --cursor, -o and --clipboard apply
    size_t minArgs;
    size_t maxArgs;
    Runner run;                    // null for help, which the program answers from this table
};

const std::vector<Command>& Commands();
const Command* FindCommand(const std::wstring& name);

// pictavo help: the options, one line per command, the exit codes.
std::wstring ListText();
// pictavo help NAME.
std::wstring CommandText(const Command& command);
// "usage: pictavo [OPTIONS] NAME ARGUMENTS".
std::wstring UsageLine(const Command& command);
// The line told to the user before an interactive command starts; empty for the others.
std::wstring PromptText(const Command& command, const Options& options);

}  // namespace host
