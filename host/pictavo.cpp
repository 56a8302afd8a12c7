// pictavo: calls the capture library as a host application would, one sub-command per exported call.
//   exit 0: done; 1: nothing captured or found (the reason on stderr); 2: bad arguments (the usage on stderr).
#include <QelPictavoDll.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Commands.h"
#include "Report.h"

namespace {

using namespace host;

std::wstring HelpJsonList() {
    std::wstring items;
    for (const Command& c : Commands()) {
        if (!items.empty()) items += L",";
        items += JsonObject().Str(L"name", c.name).Str(L"arguments", c.arguments).Str(L"summary", c.summary).Text();
    }
    return L"[" + items + L"]";
}

int Help(const CommandLine& line, Report& out) {
    out.json.Str(L"kind", L"help");
    if (line.args.empty()) {
        out.text = ListText();
        out.json.Raw(L"commands", HelpJsonList());
        return kDone;
    }
    const Command* c = FindCommand(line.args[0]);
    if (!c) return out.Fail(kBadArguments, L"no command " + line.args[0]);
    out.text = CommandText(*c);
    out.json.Str(L"name", c->name).Str(L"arguments", c->arguments).Str(L"summary", c->summary).Str(L"text", out.text);
    return kDone;
}

// The one-line reason, then the command's usage line, or the whole list for help and for no command.
int BadArguments(const CommandLine& line, Report& out, const Command* command, const std::wstring& why) {
    out.Fail(kBadArguments, why);
    Emit(line.name, kBadArguments, out, line.options.json);
    if (command && command->run)
        std::fwprintf(stderr, L"%ls\n(pictavo help %ls tells more)\n", UsageLine(*command).c_str(), command->name);
    else
        std::fputws(ListText().c_str(), stderr);
    return kBadArguments;
}

int Run(const std::vector<std::wstring>& words) {
    const CommandLine line = ParseCommandLine(words);
    const Options& o = line.options;
    Report out;
    const Command* command = FindCommand(line.name);
    if (!line.error.empty()) return BadArguments(line, out, command, line.error);
    if (line.name.empty()) return BadArguments(line, out, nullptr, L"no command given");
    if (!command) return BadArguments(line, out, nullptr, L"no command " + line.name);
    if (line.args.size() < command->minArgs || line.args.size() > command->maxArgs)
        return BadArguments(line, out, command, line.name + L": wrong number of arguments");
    if (!command->image && (o.cursor || o.clipboard || !o.output.empty()))
        return BadArguments(line, out, command, line.name + L" makes no image: --cursor, -o and --clipboard do not apply");

    int status = kDone;
    if (command->run) {
        status = command->run(line, out, [command, &o]() {
            const std::wstring prompt = PromptText(*command, o);
            if (!prompt.empty()) {
                std::fwprintf(stderr, L"%ls\n", prompt.c_str());
                std::fflush(stderr);
            }
            if (o.delayMs) ::Sleep(o.delayMs);
        });
    } else {
        status = Help(line, out);
    }
    if (status == kBadArguments) return BadArguments(line, out, command, out.reason);
    Emit(line.name, status, out, o.json);
    return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ::SetProcessDPIAware();
    // Like any host application, the program has its application object on its user-interface thread.
    CWinApp app(L"pictavo");
    return Run(std::vector<std::wstring>(argv + 1, argv + argc));
}
