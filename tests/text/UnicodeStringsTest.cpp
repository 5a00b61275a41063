#include "text/UnicodeStrings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace {

using CodePoints = std::vector<unsigned>;
using Units = std::vector<unsigned short>;

CodePoints CodePointsOf(const CBufferRefT<wchar_t>& text)
{
    CodePoints result;
    for (int i = 0; i < text.m_nLength; ++i)
        result.push_back(static_cast<unsigned>(text.m_pData[i]));
    return result;
}

std::wstring Wide(const CodePoints& codePoints)
{
    std::wstring result;
    for (unsigned c : codePoints)
        result += static_cast<wchar_t>(c);
    return result;
}

std::string Bytes(const CBufferRefT<char>& text)
{
    return std::string(text.m_pData, static_cast<size_t>(text.m_nLength));
}

std::string Hex(const std::string& bytes)
{
    std::string result;
    char part[4];
    for (unsigned char b : bytes) {
        snprintf(part, sizeof(part), "%02X ", b);
        result += part;
    }
    return result;
}

template <class T>
void ExpectTerminated(const CBufferRefT<T>& text)
{
    EXPECT_EQ(T(0), text.m_pData[text.m_nLength]);
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    CodePoints expected;
};

const DecodeCase kDecodeCases[] = {
    // one character of each length
    {"mixed lengths", "\x61\xC3\xA9\xE2\x82\xAC", {0x61, 0xE9, 0x20AC}},
    {"ascii", "hello", {'h', 'e', 'l', 'l', 'o'}},
    {"first two-byte", "\xC2\x80", {0x80}},
    {"last two-byte", "\xDF\xBF", {0x7FF}},
    {"first three-byte", "\xE0\xA0\x80", {0x800}},
    {"last three-byte", "\xEF\xBF\xBF", {0xFFFF}},
    {"first four-byte", "\xF0\x90\x80\x80", {0x10000}},
    {"emoji", "a\xF0\x9F\x98\x80z", {'a', 0x1F600, 'z'}},
    {"last four-byte", "\xF4\x8F\xBF\xBF", {0x10FFFF}},
    // sequences cut short at the end end the text
    {"three-byte cut", "\x61\xE2\x82", {0x61}},
    {"two-byte cut", "\x61\xC3", {0x61}},
    {"four-byte cut", "\x61\xF0\x9F\x98", {0x61}},
    // missing continuation bytes
    {"two-byte without continuation", "\xC3\x41", {'?', 'A'}},
    {"three-byte with one continuation", "\xE2\x82\x41", {'?', 'A'}},
    {"three-byte without continuation", "\xE2\x41\x42", {'?', 'A', 'B'}},
    {"four-byte with two continuations", "\xF0\x9F\x98\x41", {'?', 'A'}},
    {"four-byte with one continuation", "\xF0\x9F\x41\x42", {'?', 'A', 'B'}},
    // bytes that start nothing
    {"lone continuation", "\x80", {'?'}},
    {"byte FF", "\xFF", {'?'}},
    {"lead F5", "\xF5\x80\x80\x80", {'?', '?', '?', '?'}},
    // four-byte forms outside U+10000..U+10FFFF
    {"beyond U+10FFFF", "\xF4\x90\x80\x80", {'?'}},
    {"overlong four-byte", "\xF0\x8F\xBF\xBF", {'?'}},
    // two- and three-byte forms are not checked further
    {"overlong zero ends the text", "\x61\xC0\x80\x62", {0x61}},
    {"encoded surrogate", "\xED\xA0\x80", {0xD800}},
    {"empty", "", {}},
};

TEST(Utf8DecodeTest, Table)
{
    for (const DecodeCase& c : kDecodeCases) {
        SCOPED_TRACE(c.name);
        UnicodeStringFromUtf8 text(c.bytes.data(), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(c.expected, CodePointsOf(text));
        ExpectTerminated(text);
    }
}

TEST(Utf8DecodeTest, CountLimitsAndNull)
{
    EXPECT_EQ((CodePoints{'a', 'b'}), CodePointsOf(UnicodeStringFromUtf8("abc", 2)));
    EXPECT_EQ((CodePoints{'a', 'b', 'c'}), CodePointsOf(UnicodeStringFromUtf8("abc", -1)));
    UnicodeStringFromUtf8 empty(nullptr, 5);
    EXPECT_EQ(0, empty.m_nLength);
    ExpectTerminated(empty);
}

struct EncodeCase {
    unsigned codePoint;
    std::string bytes;
};

const EncodeCase kEncodeCases[] = {
    {0x41, "A"},
    {0x7F, "\x7F"},
    {0x80, "\xC2\x80"},
    {0xE9, "\xC3\xA9"},
    {0x7FF, "\xDF\xBF"},
    {0x800, "\xE0\xA0\x80"},
    {0x20AC, "\xE2\x82\xAC"},
    {0xFFFF, "\xEF\xBF\xBF"},
    {0x10000, "\xF0\x90\x80\x80"},
    {0x1F600, "\xF0\x9F\x98\x80"},
    {0x10FFFF, "\xF4\x8F\xBF\xBF"},
};

TEST(Utf8EncodeTest, TableAndRoundTrip)
{
    for (const EncodeCase& c : kEncodeCases) {
        SCOPED_TRACE(::testing::Message() << "U+" << std::hex << c.codePoint);
        std::wstring wide = Wide({'<', c.codePoint, '>'});
        Utf8String utf8(wide.c_str());
        EXPECT_EQ(Hex("<" + c.bytes + ">"), Hex(Bytes(utf8)));
        ExpectTerminated(utf8);
        UnicodeStringFromUtf8 back(utf8.m_pData, utf8.m_nLength);
        EXPECT_EQ(wide, std::wstring(back.m_pData, static_cast<size_t>(back.m_nLength)));
    }
}

TEST(Utf8EncodeTest, ValuesWithoutAnEncodingBecomeQuestionMarks)
{
    std::wstring wide = Wide({'a', 0x110000, 0xFFFFFFFFu, 'b'});
    EXPECT_EQ("a??b", Bytes(Utf8String(wide.c_str())));
    EXPECT_EQ("", Bytes(Utf8String(nullptr)));
}

struct UcsCase {
    const char* name;
    CodePoints wide;
    Units units;
};

const UcsCase kUcsCases[] = {
    {"basic plane", {'a', 0xE9, 0x20AC, 0xFFFF}, {'a', 0xE9, 0x20AC, 0xFFFF}},
    {"first supplementary", {0x10000}, {0xD800, 0xDC00}},
    {"emoji between letters", {'a', 0x1F600, 'b'}, {'a', 0xD83D, 0xDE00, 'b'}},
    {"last code point", {0x10FFFF}, {0xDBFF, 0xDFFF}},
    {"beyond U+10FFFF", {0x110000}, {0xFFFD}},
    {"empty", {}, {}},
};

TEST(UcsStringTest, FromWideWritesSurrogatePairs)
{
    for (const UcsCase& c : kUcsCases) {
        SCOPED_TRACE(c.name);
        std::wstring wide = Wide(c.wide);
        UcsString units(wide.c_str());
        EXPECT_EQ(c.units, Units(units.m_pData, units.m_pData + units.m_nLength));
        ExpectTerminated(units);
    }
}

TEST(UcsStringTest, FromUnitsIsAPlainCopy)
{
    const unsigned short units[] = {'a', 0, 0xD83D, 'b'};
    UcsString copy(units, 4);
    EXPECT_EQ(Units(units, units + 4), Units(copy.m_pData, copy.m_pData + copy.m_nLength));
    ExpectTerminated(copy);
}

struct WidenCase {
    const char* name;
    Units units;  // a zero unit is appended
    int count;
    CodePoints expected;
};

const WidenCase kWidenCases[] = {
    {"basic plane", {'a', 0xE9, 0xFFFF}, -1, {'a', 0xE9, 0xFFFF}},
    {"surrogate pair", {'a', 0xD83D, 0xDE00, 'b'}, -1, {'a', 0x1F600, 'b'}},
    {"last pair", {0xDBFF, 0xDFFF}, -1, {0x10FFFF}},
    {"lone high surrogate at the end", {'a', 0xD83D}, -1, {'a', 0xD83D}},
    {"high surrogate before a letter", {0xD83D, 'b'}, -1, {0xD83D, 'b'}},
    {"lone low surrogate", {0xDE00, 'b'}, -1, {0xDE00, 'b'}},
    {"count cuts a pair", {0xD83D, 0xDE00}, 1, {0xD83D}},
    {"count limits", {'a', 'b', 'c'}, 2, {'a', 'b'}},
    {"stops at a zero unit despite the count", {'a', 0, 'b'}, 3, {'a'}},
    {"count zero", {'a'}, 0, {}},
};

TEST(UnicodeStringTest, FromUnits)
{
    for (const WidenCase& c : kWidenCases) {
        SCOPED_TRACE(c.name);
        Units units = c.units;
        units.push_back(0);
        UnicodeString wide(units.data(), c.count);
        EXPECT_EQ(c.expected, CodePointsOf(wide));
        ExpectTerminated(wide);
    }
    EXPECT_EQ(0, UnicodeString(static_cast<const unsigned short*>(nullptr)).m_nLength);
}

// Runs each case under the named locale and restores "C" afterwards.
class LocaleTest : public ::testing::Test {
protected:
    void TearDown() override { setlocale(LC_ALL, "C"); }

    static void Use(const char* locale)
    {
        ASSERT_NE(nullptr, setlocale(LC_ALL, locale)) << locale << " is not installed: run scripts/setup";
    }
};

struct NativeToWideCase {
    const char* locale;
    std::string native;
    CodePoints expected;
};

TEST_F(LocaleTest, UnicodeStringFromNativeText)
{
    const NativeToWideCase cases[] = {
        {"en_US.UTF-8", "x\xC3\xA9y", {'x', 0xE9, 'y'}},
        {"en_US.UTF-8", "\xF0\x9F\x98\x80", {0x1F600}},
        // an invalid byte costs itself only, the rest of the text survives
        {"en_US.UTF-8", "x\xE9y\xC3\xA9", {'x', 0xFFFD, 'y', 0xE9}},
        {"en_US.UTF-8", "a\xC3", {'a', 0xFFFD}},
        {"en_US.UTF-8", "\xFF\xFE", {0xFFFD, 0xFFFD}},
        {"en_US.ISO-8859-1", "x\xE9y\xFF", {'x', 0xE9, 'y', 0xFF}},
        {"en_US.ISO-8859-1", "\xC3\xA9", {0xC3, 0xA9}},
        {"C", "plain", {'p', 'l', 'a', 'i', 'n'}},
    };
    for (const NativeToWideCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.locale << ": " << Hex(c.native));
        Use(c.locale);
        UnicodeString wide(c.native.c_str());
        EXPECT_EQ(c.expected, CodePointsOf(wide));
        ExpectTerminated(wide);
    }
}

TEST_F(LocaleTest, UnicodeStringFromNativeTextHonoursTheCount)
{
    Use("en_US.UTF-8");
    EXPECT_EQ((CodePoints{'a', 0xE9}), CodePointsOf(UnicodeString("a\xC3\xA9zz", 3)));
    EXPECT_EQ((CodePoints{'a'}), CodePointsOf(UnicodeString("a\0b", 3)));
    EXPECT_EQ(0, UnicodeString(static_cast<const char*>(nullptr)).m_nLength);
}

struct WideToNativeCase {
    const char* locale;
    CodePoints wide;
    std::string expected;
};

TEST_F(LocaleTest, NativeFromWide)
{
    const WideToNativeCase cases[] = {
        {"en_US.UTF-8", {'x', 0xE9, 0x20AC}, "x\xC3\xA9\xE2\x82\xAC"},
        {"en_US.UTF-8", {0x1F600}, "\xF0\x9F\x98\x80"},
        {"en_US.ISO-8859-1", {'x', 0xE9, 0xFF}, "x\xE9\xFF"},
        // no native form: '?' in its place, the rest survives
        {"en_US.ISO-8859-1", {'x', 0x20AC, 'y', 0x1F600, 'z'}, "x?y?z"},
        {"C", {'a', 0xE9, 'b'}, "a?b"},
        {"C", {}, ""},
    };
    for (const WideToNativeCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.locale << ": " << Hex(c.expected));
        Use(c.locale);
        MyCString native("previous contents");
        std::wstring wide = Wide(c.wide);
        NativeFromWide(native, wide.c_str());
        EXPECT_EQ(Hex(c.expected), Hex(Bytes(native)));
        ExpectTerminated(native);
    }
}

struct RoundTripCase {
    const char* locale;
    std::string native;
    std::string utf8;
};

TEST_F(LocaleTest, Utf8FromNativeAndBack)
{
    const RoundTripCase cases[] = {
        {"en_US.UTF-8", "caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
        {"en_US.ISO-8859-1", "caf\xE9", "caf\xC3\xA9"},
        {"en_US.ISO-8859-1", "\xA3 5", "\xC2\xA3 5"},
        {"C", "plain ascii", "plain ascii"},
        {"en_US.ISO-8859-1", "plain ascii", "plain ascii"},
    };
    for (const RoundTripCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.locale << ": " << Hex(c.native));
        Use(c.locale);
        EXPECT_EQ(Hex(c.utf8), Hex(Bytes(Utf8FromNative(c.native.c_str()))));
        EXPECT_EQ(Hex(c.native), Hex(Bytes(NativeFromUtf8(c.utf8.c_str(), -1))));
        EXPECT_EQ(Hex(c.native),
                  Hex(Bytes(NativeFromUtf8(c.utf8.data(), static_cast<int>(c.utf8.size())))));
    }
}

TEST_F(LocaleTest, NativeFromUtf8WithoutNativeForm)
{
    Use("en_US.ISO-8859-1");
    EXPECT_EQ("x\xE9?", Bytes(NativeFromUtf8("x\xC3\xA9\xE2\x82\xAC", -1)));
    EXPECT_EQ("ab", Bytes(NativeFromUtf8("abc", 2)));
    EXPECT_EQ("", Bytes(NativeFromUtf8(nullptr, -1)));
    EXPECT_EQ("", Bytes(Utf8FromNative(nullptr)));
}

struct NonAsciiCase {
    const char* text;
    int length;
    bool expected;
};

TEST(HasNonAsciiTest, Table)
{
    const NonAsciiCase cases[] = {
        {"plain", -1, false}, {"caf\xC3\xA9", -1, true}, {"caf\xC3\xA9", 3, false},
        {"\x7F", -1, false},  {"\x80", -1, true},        {"", -1, false},
        {nullptr, -1, false},
    };
    for (const NonAsciiCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.text ? Hex(c.text) : "null") << " length " << c.length);
        EXPECT_EQ(c.expected, HasNonAscii(c.text, c.length));
    }
}

}  // namespace
