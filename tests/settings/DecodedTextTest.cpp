#include "SettingsFixtures.h"

#include "settings/SettingsLoader.h"
#include "settings/ZipRemark.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using settingstest::ScopedLocale;

namespace {

// "key é€𝄞" and its UTF-16 units: U+1D11E is the surrogate pair D834 DD1E.
const std::string kUtf8Text = "key \xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E";
const std::u16string kUtf16Text = u"key \u00E9\u20AC\U0001D11E";

struct DecodeCase {
    const char* name;
    const char* locale;
    std::string bytes;
    std::string text;
};

void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << c.name;
}

const DecodeCase kDecodeCases[] = {
    {"Utf8Mark", "C", "\xEF\xBB\xBF" + kUtf8Text, kUtf8Text},
    {"Utf16LittleEndian", "C", testsupport::Utf16WithMark(kUtf16Text, false), kUtf8Text},
    {"Utf16BigEndian", "C", testsupport::Utf16WithMark(kUtf16Text, true), kUtf8Text},
    {"NativeUtf8", "en_US.UTF-8", kUtf8Text, kUtf8Text},
    {"NativeLatin1", "en_US.ISO-8859-1", "key \xE9 \xFC", "key \xC3\xA9 \xC3\xBC"},
    {"Utf8MarkKeepsNulBytes", "C", std::string("\xEF\xBB\xBF" "ab\0c", 7), std::string("ab\0c", 4)},
    {"Utf16StopsAtZeroUnit", "C", testsupport::Utf16WithMark(u"a", false) + std::string("\0\0b\0", 4), "a"},
    {"Utf16OddByteIgnored", "C", testsupport::Utf16WithMark(u"ab", true) + "c", "ab"},
    {"MarkOnly", "C", "\xFF\xFE", ""},
    {"NativeStopsAtNul", "en_US.UTF-8", std::string("ab\0cd", 5), "ab"},
    {"Empty", "en_US.UTF-8", "", ""},
};

class AppendDecodedTextTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(AppendDecodedTextTest, AppendsTheUtf8Form)
{
    const DecodeCase& c = GetParam();
    ScopedLocale locale(c.locale);
    ASSERT_TRUE(locale.IsActive()) << c.locale << " is not installed";
    CSettingsLoader store(false);
    store.Append("x\r\n", 3);
    store.AppendDecodedText(CBufferRefT<char>(const_cast<char*>(c.bytes.data()), static_cast<int>(c.bytes.size())));
    EXPECT_EQ("x\r\n" + c.text, std::string(store.GetData(), store.GetLength()));
}

INSTANTIATE_TEST_SUITE_P(Encodings, AppendDecodedTextTest, testing::ValuesIn(kDecodeCases),
                         [](const testing::TestParamInfo<DecodeCase>& info) { return info.param.name; });

// An end-of-central-directory record (fixed part) announcing a comment of commentLength bytes.
std::string EndRecord(int commentLength)
{
    std::string record("PK\x05\x06", 4);
    record += std::string(16, '\0');
    record += static_cast<char>(commentLength & 0xFF);
    record += static_cast<char>(commentLength >> 8);
    return record;
}

struct RecordCase {
    const char* name;
    std::string window;
    long long position;
};

void PrintTo(const RecordCase& c, std::ostream* os)
{
    *os << c.name;
}

const std::string kSignature("PK\x05\x06", 4);

const RecordCase kRecordCases[] = {
    {"NoSignature", std::string(100, 'z'), -1},
    {"ShorterThanARecord", kSignature + "abc", -1},
    {"RecordAtTheEnd", "zz" + EndRecord(0), 2},
    {"RecordWithComment", "zz" + EndRecord(3) + "abc", 2},
    {"SignatureInsideTheComment", "zz" + EndRecord(30) + "ab" + kSignature + std::string(24, 'c'), 2},
    {"LengthFieldMatchesNowhere", "zz" + EndRecord(0) + "ab" + kSignature + std::string(24, 'c'), 26},
    {"SignatureTooCloseToTheEnd", "zz" + EndRecord(8) + "ab" + kSignature + "cc", 2},
};

class FindEndRecordTest : public testing::TestWithParam<RecordCase> {};

TEST_P(FindEndRecordTest, FindsTheRecordTheRemarkFollows)
{
    const RecordCase& c = GetParam();
    const auto* window = reinterpret_cast<const unsigned char*>(c.window.data());
    EXPECT_EQ(c.position, FindEndRecord(window, static_cast<long long>(c.window.size())));
}

INSTANTIATE_TEST_SUITE_P(Windows, FindEndRecordTest, testing::ValuesIn(kRecordCases),
                         [](const testing::TestParamInfo<RecordCase>& info) { return info.param.name; });

}  // namespace
