#include "SettingsFixtures.h"

#include "settings/VariableExpansion.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using settingstest::ScopedEnv;
using settingstest::ScopedLocale;
using settingstest::ScopedStore;

namespace {

std::string Expand(const char* value, bool toUtf8 = false)
{
    MyCString result = ExpandVariables(MyCString(value), toUtf8);
    return std::string(result.c_str(), result.GetLength());
}

struct ExpansionCase {
    const char* name;
    const char* value;
    const char* expected;
};

void PrintTo(const ExpansionCase& c, std::ostream* os)
{
    *os << c.name;
}

const ExpansionCase kExpansionCases[] = {
    {"PercentBuiltin", "%APPLICATION_HOME%lib/x.jar", "/opt/app/lib/x.jar"},
    {"DollarBuiltin", "$APPLICATION_HOME/lib", "/opt/app//lib"},
    {"DollarNameRunsOn", "$APPLICATION_HOME_X", "$APPLICATION_HOME_X"},
    {"BuiltinAnyCase", "%plm_app_path%", "/opt/app/run"},
    {"BuiltinPwd", "$PWD", "/work/"},
    {"DoubledPercent", "%%", "%"},
    {"DoubledDollar", "$$", "$"},
    {"DoubledThenText", "x%%SETTINGS_TEST_FOO%", "x%SETTINGS_TEST_FOO%"},
    {"TrailingPercent", "100%", "100%"},
    {"PercentBeforeSpace", "50% off", "50% off"},
    {"DollarBeforeSpace", "a$ b", "a$ b"},
    {"MixedMarkers", "%$", "%$"},
    {"LoneDollarAtEnd", "a$", "a$"},
    {"Unresolved", "%SETTINGS_TEST_NOT_SET%/x", "%SETTINGS_TEST_NOT_SET%/x"},
    {"UnresolvedDollar", "$SETTINGS_TEST_NOT_SET/x", "$SETTINGS_TEST_NOT_SET/x"},
    {"NoClosingPercent", "%SETTINGS_TEST_NOT_SET", "%SETTINGS_TEST_NOT_SET"},
    {"ClosingPercentUsedOnce", "%SETTINGS_TEST_FOO%BAR%", "fBAR%"},
    {"DollarEndsAtNonName", "$SETTINGS_TEST_FOO.txt", "f.txt"},
    {"Adjacent", "%SETTINGS_TEST_FOO%%SETTINGS_TEST_FOO%$SETTINGS_TEST_FOO", "fff"},
    {"ValueInsertedLiterally", "<%SETTINGS_TEST_MARKERS%>", "<a%PWD%$PWD>"},
    {"EnvironmentIsCaseExact", "%settings_test_foo%", "%settings_test_foo%"},
    {"Empty", "", ""},
    {"NoMarkers", "plain text", "plain text"},
};

class ExpandVariablesTest : public testing::TestWithParam<ExpansionCase> {};

TEST_P(ExpandVariablesTest, SubstitutesKnownReferences)
{
    const ExpansionCase& c = GetParam();
    ScopedStore published("/opt/app/run", "/opt/app/", "/work/");
    ScopedEnv foo("SETTINGS_TEST_FOO", "f");
    ScopedEnv markers("SETTINGS_TEST_MARKERS", "a%PWD%$PWD");
    ScopedEnv notSet("SETTINGS_TEST_NOT_SET", nullptr);
    ScopedEnv pwd("PWD", nullptr);
    ScopedEnv home("APPLICATION_HOME", nullptr);
    EXPECT_EQ(c.expected, Expand(c.value)) << "value: " << c.value;
}

INSTANTIATE_TEST_SUITE_P(Values, ExpandVariablesTest, testing::ValuesIn(kExpansionCases),
                         [](const testing::TestParamInfo<ExpansionCase>& info) { return info.param.name; });

TEST(ExpandVariablesEnvironmentTest, EnvironmentHidesBuiltins)
{
    ScopedStore published("/opt/app/run", "/opt/app/", "/work/");
    ScopedEnv home("APPLICATION_HOME", "/elsewhere/");
    ScopedEnv pwd("PWD", "/shell/dir");
    EXPECT_EQ("/elsewhere/", Expand("%APPLICATION_HOME%"));
    EXPECT_EQ("/shell/dir", Expand("%PWD%"));
    EXPECT_EQ("/work/", Expand("%pwd%")) << "only the exact name hides the built-in";
}

TEST(ExpandVariablesEnvironmentTest, WithoutStoreBuiltinsStayAsWritten)
{
    ScopedEnv home("APPLICATION_HOME", nullptr);
    ASSERT_EQ(nullptr, pldr);
    EXPECT_EQ("%APPLICATION_HOME%x", Expand("%APPLICATION_HOME%x"));
}

// The HOME value is cached once filled, so both halves run in one test, unset first.
TEST(ExpandVariablesEnvironmentTest, BuiltinHomeNeedsBothVariablesThenStays)
{
    ScopedStore published("/opt/app/run", "/opt/app/", "/work/");
    ScopedEnv lower("home", nullptr);
    {
        ScopedEnv drive("HOMEDRIVE", "C:");
        ScopedEnv path("HOMEPATH", nullptr);
        EXPECT_EQ("[]", Expand("[%home%]"));
        EXPECT_STREQ("", published.Store().GetBuiltinVariable("Home"));
    }
    {
        ScopedEnv drive("HOMEDRIVE", "C:");
        ScopedEnv path("HOMEPATH", "\\Users\\u");
        EXPECT_EQ("[C:\\Users\\u]", Expand("[%home%]"));
    }
    ScopedEnv drive("HOMEDRIVE", "D:");
    ScopedEnv path("HOMEPATH", "\\other");
    EXPECT_EQ("[C:\\Users\\u]", Expand("[%home%]"));
}

TEST(GetBuiltinVariableTest, NamesOutsideTheFourAreNotBuiltIn)
{
    CSettingsLoader store(false);
    EXPECT_EQ(nullptr, store.GetBuiltinVariable("APPLICATION"));
    EXPECT_EQ(nullptr, store.GetBuiltinVariable("PWD_"));
    EXPECT_EQ(nullptr, store.GetBuiltinVariable(""));
    EXPECT_EQ(store.m_strWorkDir.c_str(), store.GetBuiltinVariable("Pwd"));
}

TEST(ExpandVariablesEncodingTest, Utf8FlagConvertsSubstitutionsUnderLatin1)
{
    ScopedLocale locale("en_US.ISO-8859-1");
    ASSERT_TRUE(locale.IsActive()) << "en_US.ISO-8859-1 is not installed";
    ScopedStore published("/opt/\xE9t\xE9/run", "/opt/\xE9t\xE9/", "/work/");
    ScopedEnv cafe("SETTINGS_TEST_CAFE", "caf\xE9");
    EXPECT_EQ("caf\xC3\xA9 \xE9", Expand("%SETTINGS_TEST_CAFE% \xE9", true));
    EXPECT_EQ("caf\xE9 \xE9", Expand("%SETTINGS_TEST_CAFE% \xE9", false));
    EXPECT_EQ("/opt/\xC3\xA9t\xC3\xA9/", Expand("$APPLICATION_HOME", true));
}

}  // namespace
