#pragma once
// A wide character string with the classic interface. The text always ends in a zero, so the
// string converts to LPCWSTR at no cost. Allocation failures leave the string unchanged.
#include <windows.h>
#include <cstdarg>

#include "Export.h"

class QELFRAMEWORK_API CString {
public:
    CString() noexcept;
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString(LPCWSTR text);
    CString(LPCWSTR text, int length);
    CString(LPCSTR text);  // converted from the ANSI code page
    explicit CString(wchar_t ch, int repeat = 1);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(LPCWSTR text);
    CString& operator=(LPCSTR text);
    CString& operator=(wchar_t ch);
    CString& operator+=(const CString& other);
    CString& operator+=(LPCWSTR text);
    CString& operator+=(wchar_t ch);

    int GetLength() const noexcept;
    BOOL IsEmpty() const noexcept { return GetLength() == 0; }
    void Empty() noexcept;
    operator LPCWSTR() const noexcept { return m_pszData; }
    LPCWSTR GetString() const noexcept { return m_pszData; }
    // Out-of-range indexes read as zero and are ignored by SetAt.
    wchar_t GetAt(int index) const noexcept;
    wchar_t operator[](int index) const noexcept { return GetAt(index); }
    void SetAt(int index, wchar_t ch) noexcept;

    void Append(LPCWSTR text, int length);
    void Append(const CString& other) { Append(other.m_pszData, other.GetLength()); }
    void AppendChar(wchar_t ch) { Append(&ch, 1); }

    int Compare(LPCWSTR text) const noexcept;
    int CompareNoCase(LPCWSTR text) const noexcept;

    // Counts and positions are clamped to the string, as the classic class does.
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    int Find(wchar_t ch, int start = 0) const noexcept;
    int Find(LPCWSTR sub, int start = 0) const noexcept;
    int ReverseFind(wchar_t ch) const noexcept;
    int FindOneOf(LPCWSTR chars) const noexcept;
    int Replace(wchar_t oldCh, wchar_t newCh) noexcept;
    int Replace(LPCWSTR oldText, LPCWSTR newText);
    int Remove(wchar_t ch) noexcept;
    int Insert(int index, wchar_t ch);
    int Insert(int index, LPCWSTR text);
    int Delete(int index, int count = 1) noexcept;
    CString& MakeUpper() noexcept;
    CString& MakeLower() noexcept;
    CString& MakeReverse() noexcept;
    CString& Trim();
    CString& Trim(wchar_t ch);
    CString& Trim(LPCWSTR chars);
    CString& TrimLeft();
    CString& TrimLeft(wchar_t ch);
    CString& TrimLeft(LPCWSTR chars);
    CString& TrimRight();
    CString& TrimRight(wchar_t ch);
    CString& TrimRight(LPCWSTR chars);

    // printf-style formatting with the system runtime's rules: %s takes a wide string, %S a narrow one.
    void Format(LPCWSTR format, ...);
    void FormatV(LPCWSTR format, va_list args);
    void AppendFormat(LPCWSTR format, ...);
    void AppendFormatV(LPCWSTR format, va_list args);

    // A writable buffer of at least minLength characters plus the terminator. ReleaseBuffer with -1
    // takes the length up to the first zero; a given length is clamped to the buffer.
    LPWSTR GetBuffer();
    LPWSTR GetBuffer(int minLength);
    LPWSTR GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1) noexcept;
    void Preallocate(int length);
    void FreeExtra();

    // Loads a string resource from the current resource handle's module.
    BOOL LoadString(UINT id);

private:
    int Capacity() const noexcept;
    bool Reserve(int capacity);
    void SetLength(int length) noexcept;
    void Assign(LPCWSTR text, int length);

    wchar_t* m_pszData;
};

QELFRAMEWORK_API CString operator+(const CString& a, const CString& b);
QELFRAMEWORK_API CString operator+(const CString& a, LPCWSTR b);
QELFRAMEWORK_API CString operator+(LPCWSTR a, const CString& b);
QELFRAMEWORK_API CString operator+(const CString& a, wchar_t b);
QELFRAMEWORK_API CString operator+(wchar_t a, const CString& b);

inline bool operator==(const CString& a, const CString& b) noexcept { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, LPCWSTR b) noexcept { return a.Compare(b) == 0; }
inline bool operator==(LPCWSTR a, const CString& b) noexcept { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) noexcept { return a.Compare(b) != 0; }
inline bool operator!=(const CString& a, LPCWSTR b) noexcept { return a.Compare(b) != 0; }
inline bool operator!=(LPCWSTR a, const CString& b) noexcept { return b.Compare(a) != 0; }
inline bool operator<(const CString& a, const CString& b) noexcept { return a.Compare(b) < 0; }
inline bool operator<(const CString& a, LPCWSTR b) noexcept { return a.Compare(b) < 0; }
inline bool operator<(LPCWSTR a, const CString& b) noexcept { return b.Compare(a) > 0; }
inline bool operator>(const CString& a, const CString& b) noexcept { return a.Compare(b) > 0; }
inline bool operator>(const CString& a, LPCWSTR b) noexcept { return a.Compare(b) > 0; }
inline bool operator>(LPCWSTR a, const CString& b) noexcept { return b.Compare(a) < 0; }
inline bool operator<=(const CString& a, const CString& b) noexcept { return a.Compare(b) <= 0; }
inline bool operator<=(const CString& a, LPCWSTR b) noexcept { return a.Compare(b) <= 0; }
inline bool operator<=(LPCWSTR a, const CString& b) noexcept { return b.Compare(a) >= 0; }
inline bool operator>=(const CString& a, const CString& b) noexcept { return a.Compare(b) >= 0; }
inline bool operator>=(const CString& a, LPCWSTR b) noexcept { return a.Compare(b) >= 0; }
inline bool operator>=(LPCWSTR a, const CString& b) noexcept { return b.Compare(a) <= 0; }
