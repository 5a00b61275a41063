#include "jvm/ArgumentSplitter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct SplitCase {
    const char* name;
    const char* text;
    std::vector<std::string> tokens;
};

const SplitCase kSplitCases[] = {
    // blanks, quotes and escapes together
    {"QuotedBlankAndEscapedBlank", "a \"b c\" d\\ e", {"a", "b c", "d e"}},
    {"EmptyQuotedToken", "x \"\"", {"x", ""}},
    {"AdjacentPartsJoin", "a\"b c\"d", {"ab cd"}},
    {"TabSeparates", "a\tb", {"a", "b"}},
    // backslash inside quotes
    {"QuotedBackslashQuote", "\"a\\\"b\"", {"a\"b"}},
    {"QuotedBackslashBackslash", "\"a\\\\b\"", {"a\\b"}},
    {"QuotedBackslashOther", "\"a\\b\"", {"a\\b"}},
    {"QuotedBackslashAtEnd", "\"a\\", {"a\\"}},
    // backslash outside quotes
    {"BackslashOther", "a\\b", {"ab"}},
    {"BackslashQuote", "\\\"x", {"\"x"}},
    {"BackslashBackslash", "\\\\", {"\\"}},
    {"BackslashTab", "a\\\tb", {"a\tb"}},
    {"TrailingBackslashKept", "ab\\", {"ab\\"}},
    // unclosed quotes run to the end
    {"UnclosedQuote", "a \"b  c", {"a", "b  c"}},
    {"LoneQuote", "\"", {""}},
    // blanks alone
    {"Empty", "", {}},
    {"BlanksOnly", " \t \t", {}},
    {"LeadingAndTrailingBlanks", "  a \t b  ", {"a", "b"}},
    {"NonAsciiBytesCopied", "\xc3\xa4 \xff", {"\xc3\xa4", "\xff"}},
};

void PrintTo(const SplitCase& c, std::ostream* out)
{
    *out << c.name;
}

class SplitArgumentsTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitArgumentsTest, SplitsInPlace)
{
    const SplitCase& c = GetParam();
    std::string storage = c.text;
    CBufferT<char*> list;
    int count = SplitArguments(list, storage.data());

    ASSERT_EQ(count, static_cast<int>(c.tokens.size()));
    ASSERT_EQ(list.GetLength(), count);
    for (int i = 0; i < count; ++i) {
        char* token = list.GetData()[i];
        EXPECT_TRUE(token >= storage.data() && token < storage.data() + storage.size() + 1)
            << "token " << i << " is not inside the text";
        EXPECT_EQ(std::string(token), c.tokens[i]) << "token " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Values, SplitArgumentsTest, testing::ValuesIn(kSplitCases),
                         [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(SplitArguments, AppendsToTheListAcrossValues)
{
    char first[] = "1 2";
    char second[] = "3";
    char blank[] = "  ";
    CBufferT<char*> list;
    EXPECT_EQ(SplitArguments(list, first), 2);
    EXPECT_EQ(SplitArguments(list, second), 3);
    EXPECT_EQ(SplitArguments(list, blank), 3);
    ASSERT_EQ(list.GetLength(), 3);
    EXPECT_STREQ(list.GetData()[0], "1");
    EXPECT_STREQ(list.GetData()[1], "2");
    EXPECT_STREQ(list.GetData()[2], "3");
}

TEST(SplitArguments, WritesNothingPastTheTerminator)
{
    // The bytes after the terminating zero must be left alone.
    char text[] = "\"a b\"\0XYZ";
    CBufferT<char*> list;
    ASSERT_EQ(SplitArguments(list, text), 1);
    EXPECT_STREQ(list.GetData()[0], "a b");
    EXPECT_EQ(std::string(text + 6, 3), "XYZ");
}

}  // namespace
