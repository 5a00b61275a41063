#include "launcher/Messages.h"

#include "settings/SettingsLoader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// ---- The exported table ----

struct TableEntry {
    uintptr_t id;
    const char* text;
};

const TableEntry kExpectedTable[] = {
    {0x1, "Java Runtime Environment not found."},
    {0x2, "Java Runtime Environment not valid."},
    {0x3, "Java Virtual Machine initialize failed."},
    {0x4, "Java Virtual Machine starts failed."},
    {0x5, "Can not get the virtual machine version."},
    {0x6, "Java virtual machine version %s is too low, require %s or higher."},
    {0x7, "The main startup class could not be found."},
    {0x8, "The main startup class is not valid, main method missing."},
    {0xa, "Error"},
    {0x111, "Service '%s' installed successfully."},
    {0x112, "Service '%s' install failed, "},
    {0x113, "Service '%s' uninstalled successfully."},
    {0x114, "Service '%s' uninstall failed, "},
    {0x115, "the requested access was denied."},
    {0x116, "the service name already exists."},
    {0x117, "service is marked for delete at next startup."},
    {0x118, "the service already exists."},
    {0x119, "error occurs."},
    {0x11a, "service does not exist."},
    {0x400, "Service type application.\n\nUse /install to install service."},
    {0, ""},
};

TEST(MessageTable, IsPairsOfPointerWidth)
{
    EXPECT_EQ(sizeof(MessageEntry), 2 * sizeof(void*));
    EXPECT_EQ(sizeof(msgTable[0].id), sizeof(void*));
}

TEST(MessageTable, HoldsTheBuiltInTextsInOrder)
{
    size_t count = sizeof(kExpectedTable) / sizeof(kExpectedTable[0]);
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(msgTable[i].id, kExpectedTable[i].id);
        EXPECT_STREQ(msgTable[i].text, kExpectedTable[i].text);
    }
}

// ---- Unescaping ----

struct UnescapeCase {
    const char* input;
    const char* expected;
};

void PrintTo(const UnescapeCase& c, std::ostream* os) { *os << c.input; }

class UnescapeTest : public ::testing::TestWithParam<UnescapeCase> {};

TEST_P(UnescapeTest, ReplacesEscapes)
{
    EXPECT_EQ(std::string(UnescapeMessageText(GetParam().input).c_str()), GetParam().expected)
        << "input: " << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(Escapes, UnescapeTest,
                         ::testing::Values(UnescapeCase{"plain text", "plain text"},
                                           UnescapeCase{"", ""},
                                           UnescapeCase{"one\\ntwo", "one\ntwo"},
                                           UnescapeCase{"\\r\\t", "\r\t"},
                                           // any other escaped character stands for itself
                                           UnescapeCase{"a\\\\b", "a\\b"},
                                           UnescapeCase{"\\x\\%\\\"", "x%\""},
                                           UnescapeCase{"\\N", "N"},
                                           // a backslash at the very end disappears
                                           UnescapeCase{"end\\", "end"},
                                           UnescapeCase{"\\", ""},
                                           UnescapeCase{"a\\\\\\n", "a\\\n"}));

// ---- Lookup with overrides ----

struct LookupCase {
    const char* name;
    const char* external;
    const char* embedded;
    const char* environment;  // "NAME=value" set before the lookup, or null
    unsigned int id;
    const char* expected;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

// The override cache is built once per process, so every lookup runs in a child of its own
// that exits 0 when the text matches and prints what it got otherwise.
[[noreturn]] void ExitWithLookup(const LookupCase& c)
{
    bool same = false;
    {
        if (c.environment)
            putenv(const_cast<char*>(c.environment));
        CSettingsLoader store(false);
        store.LoadFromText(c.external, c.embedded);
        pldr = &store;
        MyCString text = GetMessageText(c.id);
        same = strcmp(text.c_str(), c.expected) == 0;
        if (!same)
            fprintf(stderr, "got [%s]\n", text.c_str());
        pldr = nullptr;
    }
    exit(same ? 0 : 1);
}

class MessageLookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(MessageLookupTest, GivesTheExpectedText)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitWithLookup(GetParam()), ::testing::ExitedWithCode(0), "") << "expected [" << GetParam().expected << "]";
}

const LookupCase kLookupCases[] = {
    // without overrides: the table, else the number
    {"TableText", "", "mainclass a.B\n", nullptr, 1, "Java Runtime Environment not found."},
    {"TableFormatUnformatted", "", "", nullptr, 6, "Java virtual machine version %s is too low, require %s or higher."},
    {"NoEntryTwelve", "", "", nullptr, 12, "12"},
    {"NoEntry999", "", "", nullptr, 999, "999"},
    // overrides
    {"Override", "", "message 7=Klasse fehlt\n", nullptr, 7, "Klasse fehlt"},
    {"FirstOverrideWins", "", "message 7=Klasse fehlt\nmessage 7=other\n", nullptr, 7, "Klasse fehlt"},
    {"ExternalBeforeEmbedded", "message 7=outside\n", "message 7=inside\n", nullptr, 7, "outside"},
    {"OverrideForNumberWithoutEntry", "", "message 12=too new\n", nullptr, 12, "too new"},
    {"OtherNumbersKeepTheirText", "", "message 7=x\n", nullptr, 8, "The main startup class is not valid, main method missing."},
    {"EmptyOverride", "", "message 7=\n", nullptr, 7, ""},
    {"SpaceBeforeEquals", "", "message 7 =x\n", nullptr, 7, "x"},
    {"LeadingZero", "", "message 05=five\n", nullptr, 5, "five"},
    {"DigitsThenLetters", "", "message 7x=seven\n", nullptr, 7, "seven"},
    // malformed overrides are skipped
    {"ZeroSkipped", "", "message 0=x\nmessage 7", nullptr, 7, "The main startup class could not be found."},
    {"NegativeSkipped", "", "message -3=x\nmessage 3=three\n", nullptr, 3, "three"},
    {"LettersSkipped", "", "message abc=x\nmessage 1=one\n", nullptr, 1, "one"},
    {"NoEqualsSkipped", "", "message 7\nmessage 7=after\n", nullptr, 7, "after"},
    // numbers beyond 32 bits must not wrap onto small ones
    {"WrappingNumberSkipped", "", "message 4294967303=wrapped\n", nullptr, 7, "The main startup class could not be found."},
    {"AboveIntMaxSkipped", "", "message 2147483648=big\n", nullptr, 2147483648u, "2147483648"},
    {"IntMaxKept", "", "message 2147483647=max\n", nullptr, 2147483647u, "max"},
    // expansion, then unescaping
    {"Escapes", "", "message 9=a\\nb \\\\ c\\\n", nullptr, 9, "a\nb \\ c"},
    {"PercentPercent", "", "message 9=100%% sure\n", nullptr, 9, "100% sure"},
    {"Variable", "", "message 9=%T_MSG% world\n", "T_MSG=hello", 9, "hello world"},
};

INSTANTIATE_TEST_SUITE_P(Overrides, MessageLookupTest, ::testing::ValuesIn(kLookupCases),
                         [](const ::testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.name); });

// The settings are read on the first lookup only, also when it finds no override.
[[noreturn]] void ExitAfterTwoStores()
{
    bool cached = false;
    {
        CSettingsLoader first(false);
        first.LoadFromText("", "message 7=first\n");
        CSettingsLoader second(false);
        second.LoadFromText("", "message 7=second\nmessage 8=second\n");
        pldr = &first;
        MyCString before8 = GetMessageText(8);
        pldr = &second;
        MyCString after7 = GetMessageText(7);
        MyCString after8 = GetMessageText(8);
        cached = strcmp(after7.c_str(), "first") == 0 && strcmp(after8.c_str(), before8.c_str()) == 0;
        if (!cached)
            fprintf(stderr, "got [%s] [%s]\n", after7.c_str(), after8.c_str());
        pldr = nullptr;
    }
    exit(cached ? 0 : 1);
}

TEST(MessageLookup, ReadsTheSettingsOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitAfterTwoStores(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
