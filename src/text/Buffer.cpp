#include "text/Buffer.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

void AbortOutOfMemory()
{
    static const char message[] = "launcher: out of memory\n";
    ssize_t ignored = write(2, message, sizeof(message) - 1);
    (void)ignored;
    _exit(127);
}

void* ReallocOrAbort(void* data, size_t bytes)
{
    void* grown = realloc(data, bytes);
    if (!grown)
        AbortOutOfMemory();
    return grown;
}

template <>
int CBufferRefT<char>::CharAt(int index, int fallback) const
{
    if (index < 0 || index >= m_nLength)
        return fallback;
    return static_cast<signed char>(m_pData[index]);
}

template <>
int CBufferRefT<char>::Compare(const CBufferRefT<char>& other) const
{
    int common = m_nLength < other.m_nLength ? m_nLength : other.m_nLength;
    int i = 0;
    while (i < common && m_pData[i] == other.m_pData[i])
        ++i;
    return CharAt(i, 0) - other.CharAt(i, 0);
}

template <>
int CBufferRefT<char>::CompareNoCase(const CBufferRefT<char>& other) const
{
    int common = m_nLength < other.m_nLength ? m_nLength : other.m_nLength;
    int i = 0;
    while (i < common && (m_pData[i] == other.m_pData[i] ||
                          toupper(CharAt(i, 0)) == toupper(other.CharAt(i, 0))))
        ++i;
    return CharAt(i, 0) - other.CharAt(i, 0);
}

template <>
__attribute__((format(printf, 2, 3))) void CStringBufT<char>::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int needed = vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed < 0 || needed >= kMaxBufferElements) {
        va_end(args);
        SetLength(0);
        return;
    }
    // Formatted apart first: an argument may point into this string's own storage, which
    // growing would move.
    CBufferT<char> text;
    text.Grow(needed + 1);
    vsnprintf(text.m_pData, static_cast<size_t>(text.m_nCapacity), format, args);
    va_end(args);
    Grow(needed + 1 > 1024 ? needed + 1 : 1024);
    memcpy(m_pData, text.m_pData, static_cast<size_t>(needed));
    SetLength(needed);
}

void MyCStringArray::Add(const char* text)
{
    int offset = m_bufPool.m_nLength;
    Append(&offset, 1);
    m_bufPool.Append(text, static_cast<int>(strlen(text)));
    static const char zero = 0;
    m_bufPool.Append(&zero, 1);
}
