#pragma once
// One line of JSON for --json, built field by field. Strings come out as plain ASCII (every other
// character as a \u escape), so the line reads the same whatever code page the console has.
#include <cstdint>
#include <string>

namespace host {

// text as a JSON string literal, quotes included.
std::wstring JsonString(const std::wstring& text);

// The fields of one object, in the order they were added.
class JsonObject {
public:
    JsonObject& Str(const wchar_t* key, const std::wstring& text);
    JsonObject& Num(const wchar_t* key, long long number);
    JsonObject& Bool(const wchar_t* key, bool value);
    JsonObject& Null(const wchar_t* key);
    // An object or array made elsewhere, inserted as it is.
    JsonObject& Raw(const wchar_t* key, const std::wstring& json);
    // The other object's fields, after this one's.
    JsonObject& Merge(const JsonObject& other);
    // Everything added so far, between braces.
    std::wstring Text() const;

private:
    JsonObject& Key(const wchar_t* key);
    std::wstring body_;
};

// A rectangle whose right and bottom edges lie just outside it, with its width and height.
std::wstring JsonRect(long left, long top, long right, long bottom);
// A handle as "0x1A2B", the form the command line takes back.
std::wstring HandleText(std::uintptr_t handle);

}  // namespace host
