// CString storage: one heap block holding the length, the capacity and the characters with their
// terminator; the empty string points at a shared terminator and owns nothing.
#include <QelFramework/String.h>
#include <QelFramework/App.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <utility>

namespace {

struct StringData {
    int length;
    int capacity;  // characters, terminator not counted
    wchar_t chars[1];
};

wchar_t g_emptyString[1] = {0};

StringData* DataOf(wchar_t* chars) {
    return reinterpret_cast<StringData*>(reinterpret_cast<char*>(chars) - offsetof(StringData, chars));
}

int Length(LPCWSTR text) { return text ? static_cast<int>(std::wcslen(text)) : 0; }

}  // namespace

CString::CString() noexcept : m_pszData(g_emptyString) {}
CString::CString(const CString& other) : m_pszData(g_emptyString) { Assign(other.m_pszData, other.GetLength()); }
CString::CString(CString&& other) noexcept : m_pszData(std::exchange(other.m_pszData, g_emptyString)) {}
CString::CString(LPCWSTR text) : m_pszData(g_emptyString) { Assign(text, Length(text)); }
CString::CString(LPCWSTR text, int length) : m_pszData(g_emptyString) { Assign(text, text ? length : 0); }
CString::CString(LPCSTR text) : m_pszData(g_emptyString) { *this = text; }
CString::CString(wchar_t ch, int repeat) : m_pszData(g_emptyString) {
    if (repeat <= 0 || !Reserve(repeat)) return;
    for (int i = 0; i < repeat; ++i) m_pszData[i] = ch;
    SetLength(repeat);
}
CString::~CString() {
    if (m_pszData != g_emptyString) std::free(DataOf(m_pszData));
}

int CString::Capacity() const noexcept { return m_pszData == g_emptyString ? 0 : DataOf(m_pszData)->capacity; }
int CString::GetLength() const noexcept { return m_pszData == g_emptyString ? 0 : DataOf(m_pszData)->length; }

bool CString::Reserve(int capacity) {
    if (capacity <= Capacity()) return true;
    const size_t bytes = offsetof(StringData, chars) + (static_cast<size_t>(capacity) + 1) * sizeof(wchar_t);
    auto* data = static_cast<StringData*>(std::malloc(bytes));
    if (!data) return false;
    const int length = GetLength();
    std::memcpy(data->chars, m_pszData, (static_cast<size_t>(length) + 1) * sizeof(wchar_t));
    data->length = length;
    data->capacity = capacity;
    if (m_pszData != g_emptyString) std::free(DataOf(m_pszData));
    m_pszData = data->chars;
    return true;
}

void CString::SetLength(int length) noexcept {
    if (m_pszData == g_emptyString) return;
    DataOf(m_pszData)->length = length;
    m_pszData[length] = 0;
}

void CString::Assign(LPCWSTR text, int length) {
    if (length <= 0 || !text) return Empty();
    if (text >= m_pszData && text <= m_pszData + GetLength()) {  // a part of this string
        CString copy(text, length);
        *this = std::move(copy);
        return;
    }
    if (!Reserve(length)) return;
    std::memcpy(m_pszData, text, static_cast<size_t>(length) * sizeof(wchar_t));
    SetLength(length);
}

void CString::Empty() noexcept { SetLength(0); }

CString& CString::operator=(const CString& other) {
    if (this != &other) Assign(other.m_pszData, other.GetLength());
    return *this;
}
CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        CString old(std::move(*this));
        m_pszData = std::exchange(other.m_pszData, g_emptyString);
    }
    return *this;
}
CString& CString::operator=(LPCWSTR text) {
    Assign(text, Length(text));
    return *this;
}
CString& CString::operator=(LPCSTR text) {
    const int length = text ? ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0) - 1 : 0;
    if (length <= 0) {
        Empty();
        return *this;
    }
    CString converted;
    if (converted.Reserve(length)) {
        ::MultiByteToWideChar(CP_ACP, 0, text, -1, converted.m_pszData, length + 1);
        converted.SetLength(length);
        *this = std::move(converted);
    }
    return *this;
}
CString& CString::operator=(wchar_t ch) {
    Assign(&ch, 1);
    return *this;
}
CString& CString::operator+=(const CString& other) {
    Append(other);
    return *this;
}
CString& CString::operator+=(LPCWSTR text) {
    Append(text, Length(text));
    return *this;
}
CString& CString::operator+=(wchar_t ch) {
    AppendChar(ch);
    return *this;
}

void CString::Append(LPCWSTR text, int length) {
    if (!text || length <= 0) return;
    const int old = GetLength();
    if (old + length > Capacity()) {
        if (text >= m_pszData && text <= m_pszData + old) {  // appending a part of ourselves
            CString copy(text, length);
            return Append(copy.m_pszData, length);
        }
        const int grown = Capacity() + Capacity() / 2;
        if (!Reserve(old + length > grown ? old + length : grown)) return;
    }
    std::memmove(m_pszData + old, text, static_cast<size_t>(length) * sizeof(wchar_t));
    SetLength(old + length);
}

wchar_t CString::GetAt(int index) const noexcept {
    return index >= 0 && index < GetLength() ? m_pszData[index] : 0;
}
void CString::SetAt(int index, wchar_t ch) noexcept {
    if (index >= 0 && index < GetLength()) m_pszData[index] = ch;
}

int CString::Compare(LPCWSTR text) const noexcept { return std::wcscmp(m_pszData, text ? text : L""); }
int CString::CompareNoCase(LPCWSTR text) const noexcept { return _wcsicmp(m_pszData, text ? text : L""); }

CString CString::Mid(int first) const { return Mid(first, GetLength()); }
CString CString::Mid(int first, int count) const {
    const int length = GetLength();
    if (first < 0) first = 0;
    if (first > length) first = length;
    if (count < 0) count = 0;
    if (count > length - first) count = length - first;
    return CString(m_pszData + first, count);
}
CString CString::Left(int count) const { return Mid(0, count); }
CString CString::Right(int count) const {
    const int length = GetLength();
    if (count < 0) count = 0;
    if (count > length) count = length;
    return CString(m_pszData + length - count, count);
}

int CString::Find(wchar_t ch, int start) const noexcept {
    if (start < 0 || start >= GetLength()) return -1;
    const wchar_t* p = std::wcschr(m_pszData + start, ch);
    return p && ch ? static_cast<int>(p - m_pszData) : -1;
}
int CString::Find(LPCWSTR sub, int start) const noexcept {
    if (!sub || start < 0 || start > GetLength()) return -1;
    const wchar_t* p = std::wcsstr(m_pszData + start, sub);
    return p ? static_cast<int>(p - m_pszData) : -1;
}
int CString::ReverseFind(wchar_t ch) const noexcept {
    const wchar_t* p = std::wcsrchr(m_pszData, ch);
    return p && ch ? static_cast<int>(p - m_pszData) : -1;
}
int CString::FindOneOf(LPCWSTR chars) const noexcept {
    if (!chars) return -1;
    const wchar_t* p = std::wcspbrk(m_pszData, chars);
    return p ? static_cast<int>(p - m_pszData) : -1;
}

int CString::Replace(wchar_t oldCh, wchar_t newCh) noexcept {
    int count = 0;
    for (int i = 0, n = GetLength(); i < n; ++i)
        if (m_pszData[i] == oldCh && oldCh != newCh) {
            m_pszData[i] = newCh;
            ++count;
        }
    return count;
}
int CString::Replace(LPCWSTR oldText, LPCWSTR newText) {
    const int oldLength = Length(oldText);
    if (oldLength == 0) return 0;
    const int newLength = Length(newText);
    CString result;
    int count = 0, from = 0;
    for (int at; (at = Find(oldText, from)) >= 0; from = at + oldLength, ++count) {
        result.Append(m_pszData + from, at - from);
        result.Append(newText, newLength);
    }
    if (count == 0) return 0;
    result.Append(m_pszData + from, GetLength() - from);
    *this = std::move(result);
    return count;
}
int CString::Remove(wchar_t ch) noexcept {
    const int length = GetLength();
    int kept = 0;
    for (int i = 0; i < length; ++i)
        if (m_pszData[i] != ch) m_pszData[kept++] = m_pszData[i];
    SetLength(kept);
    return length - kept;
}
int CString::Insert(int index, wchar_t ch) { return Insert(index, CString(ch).m_pszData); }
int CString::Insert(int index, LPCWSTR text) {
    const int length = GetLength();
    if (index < 0) index = 0;
    if (index > length) index = length;
    CString result(m_pszData, index);
    result += text;
    result.Append(m_pszData + index, length - index);
    *this = std::move(result);
    return GetLength();
}
int CString::Delete(int index, int count) noexcept {
    const int length = GetLength();
    if (index < 0) index = 0;
    if (index < length && count > 0) {
        if (count > length - index) count = length - index;
        std::memmove(m_pszData + index, m_pszData + index + count,
                     static_cast<size_t>(length - index - count) * sizeof(wchar_t));
        SetLength(length - count);
    }
    return GetLength();
}

CString& CString::MakeUpper() noexcept {
    if (GetLength()) ::CharUpperBuffW(m_pszData, static_cast<DWORD>(GetLength()));
    return *this;
}
CString& CString::MakeLower() noexcept {
    if (GetLength()) ::CharLowerBuffW(m_pszData, static_cast<DWORD>(GetLength()));
    return *this;
}
CString& CString::MakeReverse() noexcept {
    for (int i = 0, j = GetLength() - 1; i < j; ++i, --j) std::swap(m_pszData[i], m_pszData[j]);
    return *this;
}

namespace {
template <class Pred> int LeadingCount(LPCWSTR s, int length, Pred trim) {
    int i = 0;
    while (i < length && trim(s[i])) ++i;
    return i;
}
template <class Pred> int TrailingLength(LPCWSTR s, int length, Pred trim) {
    while (length > 0 && trim(s[length - 1])) --length;
    return length;
}
bool IsSpace(wchar_t c) { return std::iswspace(c) != 0; }
}  // namespace

CString& CString::TrimLeft() { return Delete(0, LeadingCount(m_pszData, GetLength(), IsSpace)), *this; }
CString& CString::TrimLeft(wchar_t ch) {
    return Delete(0, LeadingCount(m_pszData, GetLength(), [ch](wchar_t c) { return c == ch; })), *this;
}
CString& CString::TrimLeft(LPCWSTR chars) {
    if (!chars) return *this;
    return Delete(0, LeadingCount(m_pszData, GetLength(), [chars](wchar_t c) { return c && std::wcschr(chars, c); })),
           *this;
}
CString& CString::TrimRight() {
    SetLength(TrailingLength(m_pszData, GetLength(), IsSpace));
    return *this;
}
CString& CString::TrimRight(wchar_t ch) {
    SetLength(TrailingLength(m_pszData, GetLength(), [ch](wchar_t c) { return c == ch; }));
    return *this;
}
CString& CString::TrimRight(LPCWSTR chars) {
    if (chars) SetLength(TrailingLength(m_pszData, GetLength(), [chars](wchar_t c) { return c && std::wcschr(chars, c); }));
    return *this;
}
CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(wchar_t ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(LPCWSTR chars) { return TrimRight(chars).TrimLeft(chars); }

void CString::Format(LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}
// Built aside and moved in: an argument may point into this string.
void CString::FormatV(LPCWSTR format, va_list args) {
    CString result;
    result.AppendFormatV(format, args);
    *this = std::move(result);
}
void CString::AppendFormat(LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}
// The runtime's own formatter (not the C99 one the C++ library may select): %s means a wide
// string here, as hosts written for the classic class expect.
void CString::AppendFormatV(LPCWSTR format, va_list args) {
    if (!format) return;
    va_list counting;
    va_copy(counting, args);
    const int count = _vscwprintf(format, counting);
    va_end(counting);
    if (count <= 0) return;
    const int old = GetLength();
    CString result(*this);
    if (!result.Reserve(old + count)) return;
    _vsnwprintf(result.m_pszData + old, static_cast<size_t>(count) + 1, format, args);
    result.SetLength(old + count);
    *this = std::move(result);
}

LPWSTR CString::GetBuffer() { return GetBuffer(0); }
LPWSTR CString::GetBuffer(int minLength) {
    const int length = GetLength();
    int wanted = minLength > length ? minLength : length;
    if (wanted < 1) wanted = 1;  // always a real block: callers write into it
    if (!Reserve(wanted)) return nullptr;
    return m_pszData;
}
LPWSTR CString::GetBufferSetLength(int length) {
    if (length < 0) length = 0;
    LPWSTR buffer = GetBuffer(length);
    if (buffer) SetLength(length);
    return buffer;
}
void CString::ReleaseBuffer(int newLength) noexcept {
    if (m_pszData == g_emptyString) return;
    const int capacity = Capacity();
    if (newLength < 0) newLength = static_cast<int>(wcsnlen(m_pszData, static_cast<size_t>(capacity)));
    if (newLength > capacity) newLength = capacity;
    SetLength(newLength);
}
void CString::Preallocate(int length) { Reserve(length); }
void CString::FreeExtra() {
    if (Capacity() > GetLength()) {
        CString copy(m_pszData, GetLength());
        *this = std::move(copy);
    }
}

BOOL CString::LoadString(UINT id) {
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW((id >> 4) + 1), RT_STRING);
    LPCWSTR text = nullptr;
    // With a zero buffer size the call hands out the resource's own read-only text.
    const int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return FALSE;
    Assign(text, length);
    return TRUE;
}

CString operator+(const CString& a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, LPCWSTR b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(LPCWSTR a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, wchar_t b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(wchar_t a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
