#include "text/Buffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace {

std::string Bytes(const CBufferRefT<char>& buffer)
{
    return std::string(buffer.m_pData, static_cast<size_t>(buffer.m_nLength));
}

// A distinct value of any element type, pointers included.
template <class T>
T ElementFor(int i)
{
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(static_cast<intptr_t>(i));
    else
        return static_cast<T>(i);
}

// Growth is the same code for every element type; only the byte counts differ.
template <class T>
class GrowthTest : public ::testing::Test {};
using ElementTypes = ::testing::Types<char, unsigned short, wchar_t, int, char*>;
TYPED_TEST_SUITE(GrowthTest, ElementTypes);

struct GrowthCase {
    int startRequest;  // first Grow on an empty buffer (0: none)
    int required;
    int capacity;      // expected capacity afterwards
};

const GrowthCase kGrowthCases[] = {
    {0, 1, 8},      {0, 9, 16},     {0, 20, 24},   {1, 17, 24},  // 8 and 17
    {9, 100, 104},  // 16 and 100
    {20, 25, 48},   // 24 and 25
    {1, 8, 8},      {9, 3, 16},     {0, 0, 0},     {0, -5, 0},
};

TYPED_TEST(GrowthTest, FollowsTheGrowthRule)
{
    for (const GrowthCase& c : kGrowthCases) {
        SCOPED_TRACE(::testing::Message() << "start " << c.startRequest << ", required " << c.required);
        CBufferT<TypeParam> buffer;
        if (c.startRequest > 0)
            buffer.Grow(c.startRequest);
        buffer.Grow(c.required);
        EXPECT_EQ(c.capacity, buffer.GetCapacity());
        EXPECT_EQ(c.capacity == 0, buffer.m_pData == nullptr);
        EXPECT_EQ(0, buffer.m_nLength);
    }
}

TYPED_TEST(GrowthTest, GrowWithinCapacityKeepsStorageAndContents)
{
    CBufferT<TypeParam> buffer;
    buffer.SetLength(5);
    for (int i = 0; i < 5; ++i)
        buffer.m_pData[i] = ElementFor<TypeParam>(i + 1);
    TypeParam* before = buffer.m_pData;
    buffer.Grow(8);
    EXPECT_EQ(before, buffer.m_pData);
    buffer.Grow(30);
    ASSERT_EQ(5, buffer.m_nLength);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ElementFor<TypeParam>(i + 1), buffer.m_pData[i]);
}

TEST(StringGrowthTest, AppendingSingleCharactersDoublesFromEight)
{
    MyCString text;
    std::vector<int> capacities{text.GetCapacity()};
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        char c = static_cast<char>('a' + i % 26);
        text.Append(&c, 1);
        expected += c;
        if (text.GetCapacity() != capacities.back())
            capacities.push_back(text.GetCapacity());
    }
    EXPECT_EQ((std::vector<int>{8, 16, 32, 64, 128}), capacities);
    EXPECT_EQ(expected, text.c_str());
    EXPECT_EQ(100, text.m_nLength);
}

TEST(BufferTest, StringFromNullIsEmptyWithStorage)
{
    CStringBufT<char> text(nullptr, -1);
    EXPECT_EQ(0, text.m_nLength);
    EXPECT_EQ(8, text.GetCapacity());
    ASSERT_NE(nullptr, text.GetBuffer());
    EXPECT_STREQ("", text.GetBuffer());
}

TEST(BufferTest, PlainBufferFromNullHasNoStorage)
{
    CBufferT<char> buffer(nullptr, 0);
    EXPECT_EQ(0, buffer.GetCapacity());
    EXPECT_EQ(nullptr, buffer.GetBuffer());
}

TEST(BufferTest, StringFromCountCopiesThatManyBytes)
{
    MyCString text("abc\0def", 7);
    EXPECT_EQ(7, text.m_nLength);
    EXPECT_EQ(std::string("abc\0def", 7), Bytes(text));
    EXPECT_EQ('\0', text.m_pData[7]);
}

TEST(BufferTest, ShorteningAStringTerminatesItAndKeepsCapacity)
{
    MyCString text("abcdefghijklmnopqrst");
    int capacity = text.GetCapacity();
    text.SetLength(3);
    EXPECT_STREQ("abc", text.c_str());
    EXPECT_EQ(3, text.m_nLength);
    EXPECT_EQ(capacity, text.GetCapacity());
}

TEST(BufferTest, GetBufferOfAStringRestoresTheTerminator)
{
    MyCString text("abc");
    text.m_pData[3] = 'X';
    EXPECT_STREQ("abc", text.GetBuffer());
}

TEST(BufferTest, MakeRoomInsideMovesTheTail)
{
    MyCString text("abef");
    char* gap = text.MakeRoom(2, 2);
    gap[0] = 'c';
    gap[1] = 'd';
    EXPECT_STREQ("abcdef", text.c_str());
    EXPECT_EQ(6, text.m_nLength);
}

TEST(BufferTest, DetachHandsOverTheStorage)
{
    MyCString text("hello");
    char* storage = text.Detach();
    EXPECT_STREQ("hello", storage);
    EXPECT_EQ(nullptr, text.m_pData);
    EXPECT_EQ(0, text.m_nLength);
    EXPECT_EQ(0, text.GetCapacity());
    free(storage);
}

TEST(BufferTest, CopiesDoNotShareStorage)
{
    MyCString original("text");
    MyCString copy(original);
    EXPECT_NE(original.m_pData, copy.m_pData);
    copy.m_pData[0] = 'n';
    EXPECT_STREQ("text", original.c_str());
    EXPECT_STREQ("next", copy.c_str());
}

// The source lies in the buffer's own storage, which the append reallocates.
TEST(BufferTest, AppendOfOwnElementsWhileGrowing)
{
    CBufferT<int> numbers;
    for (int i = 0; i < 8; ++i)
        numbers.Append(&i, 1);
    ASSERT_EQ(8, numbers.GetCapacity());
    numbers.Append(numbers.m_pData, 8);
    ASSERT_EQ(16, numbers.m_nLength);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(i % 8, numbers.m_pData[i]);

    MyCString text("0123456");  // 7 bytes and the terminator fill 8
    std::string expected = "0123456";
    for (int round = 0; round < 4; ++round) {
        text.Append(text.m_pData + 1, text.m_nLength - 1);
        expected += expected.substr(1);
    }
    EXPECT_EQ(expected, text.c_str());
    EXPECT_EQ(static_cast<int>(expected.size()), text.m_nLength);
}

TEST(BufferTest, AppendFromNullAppendsNothing)
{
    MyCString text("ab");
    text.Append(nullptr, 5);
    EXPECT_STREQ("ab", text.c_str());
    EXPECT_EQ(2, text.m_nLength);
}

struct CharAtCase {
    const char* text;
    int index;
    int expected;
};

TEST(BufferTest, CharAtWithinAndOutsideBounds)
{
    const CharAtCase cases[] = {
        {"abc", 0, 'a'}, {"abc", 2, 'c'}, {"abc", -1, 'x'}, {"abc", 3, 'x'},
        {"", 0, 'x'},    {"\xE9", 0, -23},  // bytes of 0x80 and above are negative
    };
    for (const CharAtCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << c.text << "\" at " << c.index);
        EXPECT_EQ(c.expected, CStringRefT<char>(c.text).CharAt(c.index, 'x'));
    }
}

struct CompareCase {
    const char* left;
    const char* right;
    int compare;
    int compareNoCase;
};

TEST(BufferTest, CompareAndCompareNoCase)
{
    const CompareCase cases[] = {
        {"", "", 0, 0},
        {"abc", "abc", 0, 0},
        {"abc", "ab", 99, 99},
        {"ab", "abc", -99, -99},
        {"ABC", "abc", 'A' - 'a', 0},
        {"abc", "ABD", 'a' - 'A', 'c' - 'D'},
        {"\xE9", "a", -23 - 'a', -23 - 'a'},
        {"key", "KEYS", 'k' - 'K', -'S'},
    };
    for (const CompareCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << c.left << "\" with \"" << c.right << '"');
        CStringRefT<char> left(c.left);
        CStringRefT<char> right(c.right);
        EXPECT_EQ(c.compare, left.Compare(right));
        EXPECT_EQ(c.compareNoCase, left.CompareNoCase(right));
    }
}

TEST(StringRefTest, MeasuresOrTakesTheLength)
{
    EXPECT_EQ(3, CStringRefT<char>("abc").m_nLength);
    EXPECT_EQ(2, CStringRefT<char>("abc", 2).m_nLength);
    EXPECT_EQ(0, CStringRefT<char>(nullptr).m_nLength);
}

TEST(FormatTest, ShortTextReservesAtLeast1024)
{
    MyCString text("old contents");
    text.Format("%d", 42);
    EXPECT_STREQ("42", text.c_str());
    EXPECT_EQ(2, text.m_nLength);
    EXPECT_GE(text.GetCapacity(), 1024);
}

TEST(FormatTest, LongTextGrowsToItsSize)
{
    std::string long_text(3000, 'x');
    long_text += "end";
    MyCString text;
    text.Format("<%s>", long_text.c_str());
    EXPECT_EQ("<" + long_text + ">", text.c_str());
    EXPECT_EQ(3005, text.m_nLength);
    EXPECT_GT(text.GetCapacity(), 3005);
}

TEST(FormatTest, ArgumentsFromTheStringItself)
{
    MyCString text(std::string(700, 'a').c_str());
    text.Format("%s|%s", text.c_str(), text.c_str());
    EXPECT_EQ(std::string(700, 'a') + "|" + std::string(700, 'a'), text.c_str());
}

TEST(StringArrayTest, PoolAndOffsetsKeepEmptyStrings)
{
    MyCStringArray list;
    EXPECT_EQ(0, list.GetSize());
    EXPECT_EQ(0, list.GetCapacity());
    EXPECT_EQ(0, list.m_bufPool.GetCapacity());
    list.Add("a");
    list.Add("");
    list.Add("bc");
    ASSERT_EQ(3, list.GetSize());
    EXPECT_EQ(std::string("a\0\0bc\0", 6), Bytes(list.m_bufPool));
    EXPECT_EQ((std::vector<int>{0, 2, 3}), std::vector<int>(list.m_pData, list.m_pData + 3));
    EXPECT_STREQ("a", list.GetAt(0));
    EXPECT_STREQ("", list.GetAt(1));
    EXPECT_STREQ("bc", list.GetAt(2));
}

TEST(StringArrayTest, AddingItsOwnStringWhileThePoolGrows)
{
    MyCStringArray list;
    list.Add("0123456789");
    std::string expected = "0123456789";
    for (int i = 0; i < 40; ++i)
        list.Add(list.GetAt(i));  // points into the pool that Add reallocates
    ASSERT_EQ(41, list.GetSize());
    for (int i = 0; i < 41; ++i)
        EXPECT_EQ(expected, list.GetAt(i)) << "string " << i;
    EXPECT_EQ(41 * 11, list.m_bufPool.m_nLength);
}

TEST(StringArrayTest, RemoveAllEmptiesTheList)
{
    MyCStringArray list;
    list.Add("one");
    list.RemoveAll();
    EXPECT_EQ(0, list.GetSize());
    list.Add("two");
    EXPECT_STREQ("two", list.GetAt(0));
}

TEST(OutOfMemoryDeathTest, AbortPrintsAShortMessage)
{
    EXPECT_EXIT(AbortOutOfMemory(), ::testing::ExitedWithCode(127), "launcher: out of memory");
}

TEST(OutOfMemoryDeathTest, RequestsBeyondTheLimitEndTheProcess)
{
    EXPECT_EXIT(
        {
            CBufferT<char> buffer;
            buffer.Grow(INT_MAX);
        },
        ::testing::ExitedWithCode(127), "launcher: out of memory");
    EXPECT_EXIT(
        {
            MyCString text("abc");
            text.MakeRoom(3, INT_MAX - 1);
        },
        ::testing::ExitedWithCode(127), "launcher: out of memory");
    EXPECT_EXIT(
        {
            MyCString text;
            text.SetLength(INT_MAX);
        },
        ::testing::ExitedWithCode(127), "launcher: out of memory");
}

}  // namespace
