#include "settings/LineReader.h"

namespace {

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

}  // namespace

bool CLineReader::ReadLine(MyCString& line)
{
    const char* cursor = m_pData;
    if (!cursor || *cursor == 0)
        return false;
    const char* end = cursor;
    while (*end != 0 && !IsLineEnd(*end))
        ++end;
    line.SetLength(0);
    line.Append(cursor, static_cast<int>(end - cursor));
    // CR LF and LF CR are one terminator each; the NUL stays so the next call sees the end.
    if (IsLineEnd(*end)) {
        char first = *end++;
        if (IsLineEnd(*end) && *end != first)
            ++end;
    }
    m_pData = const_cast<char*>(end);
    return true;
}
