#include "text/UnicodeStrings.h"

#include <climits>
#include <cstdint>

namespace {

constexpr wchar_t kReplacementCharacter = 0xFFFD;
constexpr uint32_t kLastCodePoint = 0x10FFFF;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

int LengthOf(const char* text, int length)
{
    return length < 0 ? static_cast<int>(strlen(text)) : length;
}

// Units before the first zero unit, at most count (-1: no limit).
int CountUnits(const unsigned short* units, int count)
{
    int n = 0;
    while ((count < 0 || n < count) && units[n] != 0)
        ++n;
    return n;
}

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Continuation bytes that follow the lead byte at j, at most want.
int CountContinuations(const unsigned char* bytes, int j, int want)
{
    int k = 0;
    while (k < want && IsContinuation(bytes[j + 1 + k]))
        ++k;
    return k;
}

// One UTF-8 sequence at j. Returns the bytes consumed, or 0 when a sequence is cut short at
// the end (decoding ends there); *out is the code point, or '?' for an invalid sequence.
int DecodeUtf8Sequence(const unsigned char* bytes, int j, int n, wchar_t* out)
{
    unsigned char lead = bytes[j];
    int extra;
    uint32_t value;
    if (lead < 0x80) {
        *out = lead;
        return 1;
    } else if (lead >= 0xC0 && lead <= 0xDF) {
        extra = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        value = lead & 0x07;
    } else {
        *out = L'?';
        return 1;
    }
    if (j + 1 + extra > n)
        return 0;
    int k = CountContinuations(bytes, j, extra);
    for (int i = 1; i <= k; ++i)
        value = (value << 6) | (bytes[j + i] & 0x3F);
    // Two- and three-byte overlong forms pass as they always have; a four-byte form must
    // name a character above the BMP.
    bool valid = k == extra && (extra < 3 || (value >= 0x10000 && value <= kLastCodePoint));
    *out = valid ? static_cast<wchar_t>(value) : L'?';
    return 1 + k;
}

// The UTF-8 bytes of c into out (room for 4); returns their count. Values beyond U+10FFFF
// have no encoding and become '?'.
int EncodeUtf8(uint32_t c, unsigned char* out)
{
    if (c <= 0x7F) {
        out[0] = static_cast<unsigned char>(c);
        return 1;
    }
    if (c <= 0x7FF) {
        out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c <= 0xFFFF) {
        out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 3;
    }
    if (c <= kLastCodePoint) {
        out[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
        out[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 4;
    }
    out[0] = '?';
    return 1;
}

}  // namespace

UnicodeString::UnicodeString(const char* text, int byteCount)
{
    if (!text)
        return;
    int n = LengthOf(text, byteCount);
    SetLength(n);  // a character takes at least one byte
    mbstate_t state{};
    int length = 0;
    int j = 0;
    while (j < n) {
        wchar_t c;
        size_t used = mbrtowc(&c, text + j, static_cast<size_t>(n - j), &state);
        if (used == 0)
            break;
        if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2)) {
            // An invalid or cut-short sequence costs one byte, not the rest of the text.
            c = kReplacementCharacter;
            used = 1;
            state = mbstate_t{};
        }
        m_pData[length++] = c;
        j += static_cast<int>(used);
    }
    SetLength(length);
}

UnicodeString::UnicodeString(const unsigned short* units, int count)
{
    if (!units)
        return;
    int n = CountUnits(units, count);
    SetLength(n);
    int length = 0;
    for (int i = 0; i < n; ++i) {
        uint32_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < n && IsLowSurrogate(units[i + 1])) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            ++i;
        }
        m_pData[length++] = static_cast<wchar_t>(unit);
    }
    SetLength(length);
}

UnicodeStringFromUtf8::UnicodeStringFromUtf8(const char* bytes, int byteCount)
{
    if (!bytes)
        return;
    int n = LengthOf(bytes, byteCount);
    const unsigned char* input = reinterpret_cast<const unsigned char*>(bytes);
    SetLength(n);
    int length = 0;
    int j = 0;
    while (j < n) {
        int used = DecodeUtf8Sequence(input, j, n, m_pData + length);
        if (used == 0)
            break;
        ++length;
        j += used;
    }
    m_pData[length] = 0;
    SetLength(static_cast<int>(wcslen(m_pData)));  // a decoded zero (C0 80) ends the text
}

Utf8String::Utf8String(const wchar_t* text)
{
    if (!text)
        return;
    for (; *text != 0; ++text) {
        unsigned char bytes[4];
        int count = EncodeUtf8(static_cast<uint32_t>(*text), bytes);
        Append(reinterpret_cast<const char*>(bytes), count);
    }
}

UcsString::UcsString(const wchar_t* text)
{
    if (!text)
        return;
    for (; *text != 0; ++text) {
        uint32_t c = static_cast<uint32_t>(*text);
        unsigned short units[2];
        int count = 1;
        if (c <= 0xFFFF) {
            units[0] = static_cast<unsigned short>(c);
        } else if (c <= kLastCodePoint) {
            c -= 0x10000;
            units[0] = static_cast<unsigned short>(0xD800 + (c >> 10));
            units[1] = static_cast<unsigned short>(0xDC00 + (c & 0x3FF));
            count = 2;
        } else {
            units[0] = static_cast<unsigned short>(kReplacementCharacter);
        }
        Append(units, count);
    }
}

void NativeFromWide(MyCString& target, const wchar_t* text)
{
    target.SetLength(0);
    if (!text)
        return;
    mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (; *text != 0; ++text) {
        size_t count = wcrtomb(bytes, *text, &state);
        if (count == static_cast<size_t>(-1)) {
            bytes[0] = '?';
            count = 1;
            state = mbstate_t{};
        }
        target.Append(bytes, static_cast<int>(count));
    }
    // A stateful encoding returns to its initial shift state before the end.
    size_t count = wcrtomb(bytes, L'\0', &state);
    if (count != static_cast<size_t>(-1) && count > 1)
        target.Append(bytes, static_cast<int>(count - 1));
}

bool HasNonAscii(const char* text, int length)
{
    if (!text)
        return false;
    int n = LengthOf(text, length);
    for (int i = 0; i < n; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return true;
    }
    return false;
}

MyCString Utf8FromNative(const char* text)
{
    if (!HasNonAscii(text, -1))
        return MyCString(text);
    UnicodeString wide(text);
    Utf8String utf8(wide.m_pData);
    return MyCString(utf8.m_pData, utf8.m_nLength);
}

MyCString NativeFromUtf8(const char* text, int length)
{
    if (!text)
        return MyCString();
    int n = LengthOf(text, length);
    if (!HasNonAscii(text, n))
        return MyCString(text, n);
    UnicodeStringFromUtf8 wide(text, n);
    MyCString native;
    NativeFromWide(native, wide.m_pData);
    return native;
}
