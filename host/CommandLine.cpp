#include "CommandLine.h"

#include <cerrno>
#include <climits>
#include <cwchar>
#include <cwctype>

namespace host {

namespace {

// wcsto* skip leading blanks and stop quietly at junk; a number here is the whole word.
bool ParseDigits(const std::wstring& text, int base, unsigned long long* value) {
    if (text.empty()) return false;
    for (const wchar_t c : text)
        if (base == 16 ? !std::iswxdigit(c) : !std::iswdigit(c)) return false;
    wchar_t* end = nullptr;
    errno = 0;
    *value = std::wcstoull(text.c_str(), &end, base);
    return errno == 0 && end && *end == 0;
}

bool TakesValue(const std::wstring& word) { return word == L"--delay" || word == L"-o" || word == L"--output"; }

}  // namespace

bool ParseDecimal(const std::wstring& text, long long* value) {
    const bool negative = !text.empty() && text[0] == L'-';
    const size_t digits = !text.empty() && (text[0] == L'-' || text[0] == L'+') ? 1 : 0;
    unsigned long long magnitude = 0;
    if (!ParseDigits(text.substr(digits), 10, &magnitude)) return false;
    if (magnitude > static_cast<unsigned long long>(LLONG_MAX) + (negative ? 1 : 0)) return false;
    *value = negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
    return true;
}

bool ParseMilliseconds(const std::wstring& text, unsigned long* value) {
    unsigned long long ms = 0;
    if (!ParseDigits(text, 10, &ms) || ms >= 0xFFFFFFFFull) return false;
    *value = static_cast<unsigned long>(ms);
    return true;
}

bool ParseHandle(const std::wstring& text, std::uintptr_t* value) {
    unsigned long long v = 0;
    const bool prefixed = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
    // Sixteen digits are the form the sub-commands print handles in; no decimal handle is that long.
    const bool printed = text.size() == 16;
    if (!ParseDigits(prefixed ? text.substr(2) : text, prefixed || printed ? 16 : 10, &v) || v > UINTPTR_MAX)
        return false;
    *value = static_cast<std::uintptr_t>(v);
    return true;
}

bool ParseSize(const std::wstring& text, int* width, int* height) {
    const size_t x = text.find(L'x');
    long long w = 0, h = 0;
    if (x == std::wstring::npos || !ParseDecimal(text.substr(0, x), &w) || !ParseDecimal(text.substr(x + 1), &h))
        return false;
    if (w <= 0 || h <= 0 || w > INT_MAX || h > INT_MAX) return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

bool ParseArea(const std::wstring& text, long* x, long* y, long* width, long* height) {
    long long v[4] = {};
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? text.find(L',', start) : text.size();
        if (comma == std::wstring::npos || !ParseDecimal(text.substr(start, comma - start), &v[i])) return false;
        if (v[i] < LONG_MIN || v[i] > LONG_MAX) return false;
        start = comma + 1;
    }
    if (v[2] <= 0 || v[3] <= 0) return false;
    *x = static_cast<long>(v[0]);
    *y = static_cast<long>(v[1]);
    *width = static_cast<long>(v[2]);
    *height = static_cast<long>(v[3]);
    return true;
}

CommandLine ParseCommandLine(const std::vector<std::wstring>& words) {
    CommandLine line;
    Options& o = line.options;
    auto fail = [&line](const std::wstring& why) {
        if (line.error.empty()) line.error = why;
    };
    for (size_t i = 0; i < words.size(); ++i) {
        const std::wstring& word = words[i];
        if (word == L"--cursor") {
            o.cursor = true;
        } else if (word == L"--clipboard") {
            o.clipboard = true;
        } else if (word == L"--json") {
            o.json = true;
        } else if (TakesValue(word)) {
            if (i + 1 >= words.size()) {
                fail(word + L" takes a value");
            } else if (word == L"--delay") {
                if (!ParseMilliseconds(words[++i], &o.delayMs)) fail(L"--delay takes milliseconds, 0 or more");
            } else {
                o.output = words[++i];
                if (o.output.empty()) fail(word + L" takes a file name");
            }
        } else if (!line.name.empty()) {
            line.args.push_back(word);
        } else if (word.size() > 1 && word[0] == L'-') {
            fail(L"unknown option " + word);
        } else {
            line.name = word;
        }
    }
    return line;
}

}  // namespace host
