#include "SettingsFixtures.h"

#include "settings/SettingsLoader.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using settingstest::ScopedEnv;
using settingstest::ScopedLocale;
using settingstest::ScopedStore;

namespace {

std::string Str(const CBufferRefT<char>& s)
{
    return std::string(s.GetData(), s.GetLength());
}

// An enumerating lookup, whose own result is always empty.
void Enumerate(const CSettingsLoader& store, const char* key, CSettingsLoader::EnumCallback callback, void* context,
               bool embeddedOnly = false, bool native = true)
{
    EXPECT_TRUE(store.QuerySetting(key, callback, context, embeddedOnly, native).IsEmpty());
}

std::vector<std::string> Strings(MyCStringArray& array)
{
    std::vector<std::string> strings;
    for (int i = 0; i < array.GetSize(); ++i)
        strings.emplace_back(array.GetAt(i));
    return strings;
}

struct KeyCase {
    const char* name;
    const char* text;
    const char* key;
    const char* value;
};

void PrintTo(const KeyCase& c, std::ostream* os)
{
    *os << c.name;
}

const KeyCase kKeyCases[] = {
    {"SpaceSeparated", "mainclass a.B", "mainclass", "a.B"},
    {"EqualsSeparated", "mainclass=a.B", "mainclass", "a.B"},
    {"SpacesAroundEquals", "MainClass = a.B", "mainclass", "a.B"},
    {"IndentedUpperCase", "   MAINCLASS   =a.B", "mainclass", "a.B"},
    {"KeyAloneIsEmptyAndWins", "option\noption x", "option", ""},
    {"LongerKeysDoNotMatch", "optionX v\noption_x v\noption7 v\noption ok", "option", "ok"},
    {"DotEndsTheKey", "option.x v", "option", ".x v"},
    {"ColonEndsTheKey", "option:v", "option", ":v"},
    {"TabIsPartOfTheValue", "option\t-Xmx1g", "option", "\t-Xmx1g"},
    {"OnlyOneEqualsRemoved", "option==v", "option", "=v"},
    {"EqualsThenSpacesThenEquals", "option = = v", "option", "= v"},
    {"TrailingSpacesKept", "stdout log.txt ", "stdout", "log.txt "},
    {"TabIndentNeverMatches", "\toption v\noption w", "option", "w"},
    {"HashLineIsNotAComment", "# option x\noption y", "option", "y"},
    {"FirstMatchWins", "jvmdll /x\njvmdll /y", "jvmdll", "/x"},
    {"MissingKey", "option x", "jvmdll", ""},
    {"ShortLine", "opt", "option", ""},
    {"AllTerminatorsMixed", "a 1\r\nb 2\n\rc 3\rd 4\ne 5", "d", "4"},
    {"EmptyLinesSkipped", "\r\n\r\n\nmainclass M\n", "mainclass", "M"},
};

class KeyMatchingTest : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyMatchingTest, FirstMatchingLineGivesTheValue)
{
    const KeyCase& c = GetParam();
    CSettingsLoader store(false);
    store.LoadFromText("", c.text);
    EXPECT_EQ(c.value, Str(store.QuerySetting(c.key))) << "text: " << c.text;
}

INSTANTIATE_TEST_SUITE_P(Lines, KeyMatchingTest, testing::ValuesIn(kKeyCases),
                         [](const testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

void CollectValue(void* context, const char* value)
{
    static_cast<std::vector<std::string>*>(context)->push_back(value);
}

TEST(QuerySettingTest, CallbackVisitsEveryMatchingLineInOrderAndReturnsEmpty)
{
    CSettingsLoader store(false);
    store.LoadFromText("option e1\r\nOPTION=e2", "option m1\noptions no\n  option  m2 \noption");
    std::vector<std::string> values;
    EXPECT_EQ("", Str(store.QuerySetting("option", CollectValue, &values)));
    EXPECT_EQ((std::vector<std::string>{"e1", "e2", "m1", "m2 ", ""}), values);
}

TEST(QuerySettingTest, ExternalLinesComeFirstAndEmbeddedOnlyHidesThem)
{
    CSettingsLoader store(false);
    const char external[] = "mainclass ext.Main\njvmdll /x\noption e";
    store.LoadFromText(external, "mainclass emb.Main\njvmdll /y\noption m");
    EXPECT_EQ(static_cast<int>(sizeof external - 1) + 2, store.m_nEmbeddedStart);
    EXPECT_EQ("/x", Str(store.QuerySetting("jvmdll")));
    EXPECT_EQ("/y", Str(store.QuerySetting("jvmdll", nullptr, nullptr, true)));
    EXPECT_EQ("emb.Main", Str(store.QuerySetting("mainclass", nullptr, nullptr, true)));
    std::vector<std::string> all;
    Enumerate(store, "option", CollectValue, &all);
    EXPECT_EQ((std::vector<std::string>{"e", "m"}), all);
    std::vector<std::string> embedded;
    Enumerate(store, "option", CollectValue, &embedded, true);
    EXPECT_EQ(std::vector<std::string>{"m"}, embedded);
}

TEST(QuerySettingTest, WithoutExternalTextEmbeddedStartsAtZero)
{
    CSettingsLoader store(false);
    store.LoadFromText("", "jvmdll /y");
    EXPECT_EQ(0, store.m_nEmbeddedStart);
    EXPECT_EQ("jvmdll /y", Str(store));
}

TEST(QuerySettingTest, LeadingNulAnswersNothingAndCallsNoCallback)
{
    CSettingsLoader store(false);
    store.Append("\0option x\nmainclass M", 21);
    std::vector<std::string> values;
    EXPECT_EQ("", Str(store.QuerySetting("option", CollectValue, &values)));
    EXPECT_TRUE(values.empty());
    EXPECT_EQ("", Str(store.QuerySetting("mainclass")));
}

TEST(QuerySettingTest, NulInsideTheTextEndsEveryLookupThere)
{
    CSettingsLoader store(false);
    store.Append("option a\n\0option b", 18);
    std::vector<std::string> values;
    Enumerate(store, "option", CollectValue, &values);
    EXPECT_EQ(std::vector<std::string>{"a"}, values);
}

struct DisableCase {
    const char* name;
    const char* external;
    const char* embedded;
    bool dropped;
};

void PrintTo(const DisableCase& c, std::ostream* os)
{
    *os << c.name;
}

const DisableCase kDisableCases[] = {
    {"SpaceTrue", "jvmdll /x", "disableexternal true\njvmdll /y", true},
    {"EqualsUpperTrue", "jvmdll /x", "disableexternal=TRUE\njvmdll /y", true},
    {"MixedCase", "jvmdll /x", "DisableExternal = True\njvmdll /y", true},
    {"Yes", "jvmdll /x", "disableexternal yes\njvmdll /y", false},
    {"TrueWithTrailingSpace", "jvmdll /x", "disableexternal true \njvmdll /y", false},
    {"Empty", "jvmdll /x", "disableexternal\njvmdll /y", false},
    {"OnlyInExternalFile", "disableexternal true\njvmdll /x", "jvmdll /y", false},
};

class DisableExternalTest : public testing::TestWithParam<DisableCase> {};

TEST_P(DisableExternalTest, EmbeddedTrueDropsTheExternalText)
{
    const DisableCase& c = GetParam();
    CSettingsLoader store(false);
    store.LoadFromText(c.external, c.embedded);
    if (c.dropped) {
        EXPECT_EQ(c.embedded, Str(store));
        EXPECT_EQ(0, store.m_nEmbeddedStart);
        EXPECT_EQ("/y", Str(store.QuerySetting("jvmdll")));
    } else {
        EXPECT_EQ(std::string(c.external) + "\r\n" + c.embedded, Str(store));
        EXPECT_EQ(static_cast<int>(strlen(c.external)) + 2, store.m_nEmbeddedStart);
        EXPECT_EQ("/x", Str(store.QuerySetting("jvmdll")));
    }
}

INSTANTIATE_TEST_SUITE_P(Values, DisableExternalTest, testing::ValuesIn(kDisableCases),
                         [](const testing::TestParamInfo<DisableCase>& info) { return info.param.name; });

struct EncodingCase {
    const char* name;
    const char* locale;
    const char* utf8Value;
    bool native;
    const char* expected;
};

void PrintTo(const EncodingCase& c, std::ostream* os)
{
    *os << c.name;
}

const EncodingCase kEncodingCases[] = {
    {"EuroUnderUtf8Native", "en_US.UTF-8", "\xE2\x82\xAC", true, "\xE2\x82\xAC"},
    {"EAcuteUnderLatin1Native", "en_US.ISO-8859-1", "caf\xC3\xA9", true, "caf\xE9"},
    {"EAcuteUnderLatin1Utf8", "en_US.ISO-8859-1", "caf\xC3\xA9", false, "caf\xC3\xA9"},
    {"AsciiUnderLatin1Native", "en_US.ISO-8859-1", "plain", true, "plain"},
    // The euro sign has no Latin-1 form: the conversion writes '?' for it.
    {"EuroUnderLatin1Native", "en_US.ISO-8859-1", "\xE2\x82\xAC" "5", true, "?5"},
};

class NativeEncodingTest : public testing::TestWithParam<EncodingCase> {};

TEST_P(NativeEncodingTest, ValueComesBackInTheRequestedEncoding)
{
    const EncodingCase& c = GetParam();
    ScopedLocale locale(c.locale);
    ASSERT_TRUE(locale.IsActive()) << c.locale << " is not installed";
    CSettingsLoader store(false);
    store.LoadFromText("", (std::string("stdout ") + c.utf8Value).c_str());
    EXPECT_EQ(c.expected, Str(store.QuerySetting("stdout", nullptr, nullptr, false, c.native)));
    std::vector<std::string> values;
    Enumerate(store, "stdout", CollectValue, &values, false, c.native);
    EXPECT_EQ(std::vector<std::string>{c.expected}, values);
}

INSTANTIATE_TEST_SUITE_P(Locales, NativeEncodingTest, testing::ValuesIn(kEncodingCases),
                         [](const testing::TestParamInfo<EncodingCase>& info) { return info.param.name; });

TEST(EnumCallbackTest, CommonCallbackCollectsExpandedValues)
{
    ScopedStore published("/opt/app/run", "/opt/app/", "/work/");
    ScopedEnv size("SETTINGS_TEST_HEAP", "512m");
    published.Store().LoadFromText("", "option -Xmx%SETTINGS_TEST_HEAP%\noption -Dhome=$APPLICATION_HOME\noption");
    MyCStringArray options;
    Enumerate(published.Store(), "option", CSettingsLoader::EnumCommonCallback, &options);
    EXPECT_EQ((std::vector<std::string>{"-Xmx512m", "-Dhome=/opt/app/", ""}), Strings(options));
}

TEST(EnumCallbackTest, Utf8CallbackConvertsSubstitutionsUnderLatin1)
{
    ScopedLocale locale("en_US.ISO-8859-1");
    ASSERT_TRUE(locale.IsActive());
    ScopedStore published("/opt/app/run", "/opt/app/", "/work/");
    ScopedEnv city("SETTINGS_TEST_CITY", "Z\xFCrich");
    published.Store().LoadFromText("", "property city=%SETTINGS_TEST_CITY% \xC3\xA9");
    MyCStringArray utf8;
    Enumerate(published.Store(), "property", CSettingsLoader::EnumCommonCallbackUtf8, &utf8, false, false);
    EXPECT_EQ(std::vector<std::string>{"city=Z\xC3\xBCrich \xC3\xA9"}, Strings(utf8));
    MyCStringArray native;
    Enumerate(published.Store(), "property", CSettingsLoader::EnumCommonCallback, &native);
    EXPECT_EQ(std::vector<std::string>{"city=Z\xFCrich \xE9"}, Strings(native));
}

TEST(EnumCallbackTest, ClassPathCallbackResolvesEveryNonEmptyPiece)
{
    ScopedStore published("/nonexistent/app/run", "/nonexistent/app/", "/nonexistent/work/");
    ScopedEnv lib("SETTINGS_TEST_LIB", "/abs/lib");
    MyCString classPath("/nonexistent/app/run");
    published.Store().LoadFromText("", "classpath :a.jar::b.jar:\nclasspath $SETTINGS_TEST_LIB/c.jar:/d.jar\nclasspath");
    Enumerate(published.Store(), "classpath", CSettingsLoader::EnumClassPathCallback, &classPath);
    EXPECT_EQ("/nonexistent/app/run:/nonexistent/app/a.jar:/nonexistent/app/b.jar:/abs/lib/c.jar:/d.jar",
              Str(classPath));
}

TEST(GetVmSettingTest, AbsentGivesDashAndIsLookedUpOnce)
{
    CSettingsLoader store(false);
    store.LoadFromText("", "mainclass M");
    EXPECT_EQ("-", Str(store.GetVmSetting()));
    store.LoadFromText("", "vm client");
    EXPECT_EQ("-", Str(store.GetVmSetting())) << "the cached value stays";
}

TEST(GetVmSettingTest, ValueIsExpandedAndCached)
{
    ScopedStore published("/opt/app/run", "/opt/app/", "/work/");
    ScopedEnv variant("SETTINGS_TEST_VM", "server");
    published.Store().LoadFromText("vm %SETTINGS_TEST_VM%", "vm client");
    EXPECT_EQ("server", Str(published.Store().GetVmSetting()));
    EXPECT_EQ("server", Str(published.Store().m_strVm));
    published.Store().LoadFromText("", "vm client");
    EXPECT_EQ("server", Str(published.Store().GetVmSetting()));
}

}  // namespace
