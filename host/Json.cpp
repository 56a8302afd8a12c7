#include "Json.h"

#include <cwchar>

namespace host {

std::wstring JsonString(const std::wstring& text) {
    std::wstring out = L"\"";
    for (const wchar_t c : text) {
        switch (c) {
            case L'"': out += L"\\\""; break;
            case L'\\': out += L"\\\\"; break;
            case L'\n': out += L"\\n"; break;
            case L'\r': out += L"\\r"; break;
            case L'\t': out += L"\\t"; break;
            default:
                if (c < 0x20 || c > 0x7E) {
                    // wchar_t holds UTF-16 units here: a surrogate pair becomes two escapes, as JSON wants.
                    wchar_t escape[8];
                    std::swprintf(escape, 8, L"\\u%04X", static_cast<unsigned>(c) & 0xFFFFu);
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    return out + L"\"";
}

JsonObject& JsonObject::Key(const wchar_t* key) {
    if (!body_.empty()) body_ += L',';
    body_ += JsonString(key) + L':';
    return *this;
}

JsonObject& JsonObject::Str(const wchar_t* key, const std::wstring& text) {
    Key(key).body_ += JsonString(text);
    return *this;
}

JsonObject& JsonObject::Num(const wchar_t* key, long long number) {
    Key(key).body_ += std::to_wstring(number);
    return *this;
}

JsonObject& JsonObject::Bool(const wchar_t* key, bool value) {
    Key(key).body_ += value ? L"true" : L"false";
    return *this;
}

JsonObject& JsonObject::Null(const wchar_t* key) {
    Key(key).body_ += L"null";
    return *this;
}

JsonObject& JsonObject::Raw(const wchar_t* key, const std::wstring& json) {
    Key(key).body_ += json;
    return *this;
}

JsonObject& JsonObject::Merge(const JsonObject& other) {
    if (!body_.empty() && !other.body_.empty()) body_ += L',';
    body_ += other.body_;
    return *this;
}

std::wstring JsonObject::Text() const { return L"{" + body_ + L"}"; }

std::wstring JsonRect(long left, long top, long right, long bottom) {
    return JsonObject()
        .Num(L"left", left)
        .Num(L"top", top)
        .Num(L"right", right)
        .Num(L"bottom", bottom)
        .Num(L"width", static_cast<long long>(right) - left)
        .Num(L"height", static_cast<long long>(bottom) - top)
        .Text();
}

std::wstring HandleText(std::uintptr_t handle) {
    wchar_t text[24];
    std::swprintf(text, 24, L"0x%llX", static_cast<unsigned long long>(handle));
    return text;
}

}  // namespace host
