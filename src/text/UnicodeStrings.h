// Strings in the launcher's four encodings and the conversions between them:
// native (the locale's multibyte encoding, in MyCString), UTF-8, wide characters
// (one code point per element) and 16-bit units as Java strings hold them.
// Callers convert only text that holds a byte of 0x80 or above.
#pragma once

#include "text/Buffer.h"

#include <cwchar>

// Wide text, one code point per element.
class UnicodeString : public CStringBufT<wchar_t> {
public:
    UnicodeString() {}
    // Native multibyte text through mbstowcs; -1 measures the text. Bytes that are invalid
    // in the locale's encoding become U+FFFD and the conversion goes on after them.
    explicit UnicodeString(const char* text, int byteCount = -1);
    // 16-bit units widened; a surrogate pair becomes its one code point. Stops after count
    // units (-1: no limit) or at the first zero unit.
    explicit UnicodeString(const unsigned short* units, int count = -1);
};

// Wide text decoded from UTF-8 (one to four bytes a character). Invalid sequences give '?';
// a sequence cut short at the end ends the text, and so does a decoded zero (C0 80).
// A null pointer gives an empty string; a negative count measures the text.
class UnicodeStringFromUtf8 : public UnicodeString {
public:
    UnicodeStringFromUtf8(const char* bytes, int byteCount);
};

// UTF-8 encoded from wide text (one to four bytes a character; values beyond U+10FFFF give '?').
class Utf8String : public CStringBufT<char> {
public:
    explicit Utf8String(const wchar_t* text);
};

// 16-bit units; characters above U+FFFF become surrogate pairs, values beyond U+10FFFF U+FFFD.
class UcsString : public CStringBufT<unsigned short> {
public:
    UcsString(const unsigned short* units, int count) : CStringBufT<unsigned short>(units, count) {}
    explicit UcsString(const wchar_t* text);
};

// Replaces target's contents with text converted to the locale's multibyte encoding.
// Characters without a native form become '?'.
void NativeFromWide(MyCString& target, const wchar_t* text);

// True when the first length bytes of text (-1: up to its zero byte) hold a byte of 0x80 or
// above, so it needs converting. False for a null pointer.
[[nodiscard]] bool HasNonAscii(const char* text, int length);

// Native text to UTF-8 (ASCII text is copied unchanged; null gives an empty string).
[[nodiscard]] MyCString Utf8FromNative(const char* text);
// The first length bytes of UTF-8 text (-1: up to its zero byte) to native (ASCII text is
// copied unchanged; null gives an empty string).
[[nodiscard]] MyCString NativeFromUtf8(const char* text, int length);
