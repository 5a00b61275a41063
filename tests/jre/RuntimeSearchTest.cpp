// FindJavaRuntime and its sources over fixture runtimes, with a test PATH and environment.
#include "JreFixture.h"
#include "TestSupport.h"

#include "jre/JvmLibrary.h"
#include "jre/RuntimeSearch.h"

#include <gtest/gtest.h>

#include <elf.h>

namespace {

using testsupport::TempDir;

#define CPU LAUNCHER_CPU_DIR

// One runtime per source, so that the result tells which source answered.
const char kSourceC[] = "{tmp}/c/libjvm.so";
const char kSourceB[] = "{app}./jre/lib/server/libjvm.so";
const char kSourceS[] = "{tmp}/sjdk/bin/../lib/server/libjvm.so";
const char kSourceE[] = "{tmp}/ejdk/lib/server/libjvm.so";
const char kJvmdll[] = "jvmdll {tmp}/c/libjvm.so\n";

class RuntimeSearch : public testing::Test {
protected:
    void SetUp() override
    {
        testsupport::MakeDirectories(m_app);
        testsupport::MakeDirectories(m_work);
        m_environment.Unset("JRE_HOME");
        m_environment.Unset("JAVA_HOME");
        UsePath("");
    }

    // The search path: directory (below the test's directory, if any), then one without java.
    void UsePath(const std::string& directory)
    {
        const std::string empty = m_dir / "empty";
        m_environment.Set("PATH", directory.empty() ? empty : m_dir / directory + ":" + empty);
    }

    void PlaceAllSources()
    {
        jretest::PlaceLibrary(Fill(kSourceC));
        jretest::PlaceLibrary(m_app + "jre/lib/server/libjvm.so");
        jretest::PlaceLibrary(m_dir / "sjdk/lib/server/libjvm.so");
        jretest::PlaceJavaCommand(m_dir / "sjdk/bin/java");
        jretest::MakeLink(m_dir / "sjdk/bin/java", m_dir / "spath/java");
        UsePath("spath");
        jretest::PlaceLibrary(m_dir / "ejdk/lib/server/libjvm.so");
        m_environment.Set("JAVA_HOME", m_dir / "ejdk");
    }

    // text with {tmp}, {app} and {work} filled in.
    std::string Fill(const std::string& text) const
    {
        std::string filled = jretest::Substitute(text, "tmp", m_dir.Path());
        filled = jretest::Substitute(filled, "app", m_app);
        return jretest::Substitute(filled, "work", m_work);
    }

    std::string Search(const std::string& settings)
    {
        jretest::TestStore store(Fill(settings), m_app, m_work);
        return FindJavaRuntime(store.Get()).c_str();
    }

    std::string SearchPath()
    {
        jretest::TestStore store("", m_app, m_work);
        return FindJvmFromPath(store.Get()).c_str();
    }

    TempDir m_dir;
    const std::string m_app = m_dir / "app/";
    const std::string m_work = m_dir / "work/";
    jretest::ScopedEnvironment m_environment;
};

// ---- Order of the sources ----

struct OrderCase {
    const char* name;
    const char* settings;
    const char* expected;
};

// Cases show as their names in test listings.
void PrintTo(const OrderCase& test, std::ostream* os) { *os << test.name; }

const OrderCase kOrders[] = {
    {"DefaultWhenAbsent", kJvmdll, kSourceC},
    {"DefaultWhenEmpty", "jre_order\njvmdll {tmp}/c/libjvm.so", kSourceC},
    {"DefaultWithoutJvmdll", "", kSourceB},
    {"LetterC", "jre_order c\njvmdll {tmp}/c/libjvm.so", kSourceC},
    {"LetterCWithoutJvmdll", "jre_order c", ""},
    {"LetterB", "jre_order b\njvmdll {tmp}/c/libjvm.so", kSourceB},
    {"LetterS", "jre_order s\njvmdll {tmp}/c/libjvm.so", kSourceS},
    {"LetterE", "jre_order e\njvmdll {tmp}/c/libjvm.so", kSourceE},
    {"LetterI", "jre_order i\njvmdll {tmp}/c/libjvm.so", ""},
    {"UpperCaseLowered", "jre_order E\njvmdll {tmp}/c/libjvm.so", kSourceE},
    {"EnvironmentBeforeBundled", "jre_order eb", kSourceE},
    {"BundledBeforeEnvironment", "jre_order be", kSourceB},
    {"JreNamesOnlyTheEnvironment", "jre_order JRE\njvmdll {tmp}/c/libjvm.so", kSourceE},
    {"NoSourceLettersGiveDefault", "jre_order xyz\njvmdll {tmp}/c/libjvm.so", kSourceC},
    {"DashGivesDefault", "jre_order -\njvmdll {tmp}/c/libjvm.so", kSourceC},
    {"IThenC", "jre_order ic\njvmdll {tmp}/c/libjvm.so", kSourceC},
    {"OtherBytesSkipped", "jre_order i-x s\njvmdll {tmp}/c/libjvm.so", kSourceS},
    {"OrderNotExpanded", "jre_order %XQ%\njvmdll {tmp}/c/libjvm.so", kSourceC},
};

class SearchOrder : public RuntimeSearch, public testing::WithParamInterface<OrderCase> {};

TEST_P(SearchOrder, FirstSourceWithALibraryWins)
{
    PlaceAllSources();
    // The order is used as written: expanded, "%XQ%" would search only the environment.
    m_environment.Set("XQ", "e");
    EXPECT_EQ(Search(GetParam().settings), Fill(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Orders, SearchOrder, testing::ValuesIn(kOrders),
                         [](const testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });

// ---- Letter c ----

struct ExplicitCase {
    const char* name;
    std::vector<const char*> libraries;  // below the test's directory
    const char* jvmdll;
    const char* expected;
};

void PrintTo(const ExplicitCase& test, std::ostream* os) { *os << test.name; }

const ExplicitCase kExplicit[] = {
    {"RelativeUnderApplicationHomeFirst", {"app/jvm/libjvm.so", "work/jvm/libjvm.so"}, "jvm/libjvm.so",
     "{app}jvm/libjvm.so"},
    {"RelativeUnderWorkingDirectory", {"work/jvm/libjvm.so"}, "jvm/libjvm.so", "{work}jvm/libjvm.so"},
    // Tests run as root, for whom every existing file is readable: a missing file stands in.
    {"Unreadable", {}, "jvm/libjvm.so", ""},
    {"Absolute", {"elsewhere/libjvm.so"}, "{tmp}/elsewhere/libjvm.so", "{tmp}/elsewhere/libjvm.so"},
    {"Expanded", {"app/jvm/libjvm.so"}, "%APPLICATION_HOME%jvm/libjvm.so", "{app}jvm/libjvm.so"},
};

class ExplicitLibrary : public RuntimeSearch, public testing::WithParamInterface<ExplicitCase> {};

TEST_P(ExplicitLibrary, IsTakenWhenReadable)
{
    for (const char* library : GetParam().libraries)
        jretest::PlaceLibrary(m_dir / library);
    EXPECT_EQ(Search(std::string("jre_order c\njvmdll ") + GetParam().jvmdll), Fill(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Jvmdll, ExplicitLibrary, testing::ValuesIn(kExplicit),
                         [](const testing::TestParamInfo<ExplicitCase>& info) { return std::string(info.param.name); });

TEST_F(RuntimeSearch, ExplicitLibraryIsNotCheckedForItsClass)
{
    constexpr unsigned char kOtherClass = sizeof(void*) == 8 ? ELFCLASS32 : ELFCLASS64;
    constexpr unsigned short kOtherMachine = sizeof(void*) == 8 ? EM_386 : EM_X86_64;
    jretest::PlaceElfHeader(m_dir / "other/libjvm.so", kOtherClass, kOtherMachine);
    EXPECT_EQ(Search("jre_order c\njvmdll {tmp}/other/libjvm.so"), m_dir / "other/libjvm.so");
}

// ---- Letter b ----

struct BundledCase {
    const char* name;
    std::vector<const char*> libraries;  // below the test's directory
    const char* settings;
    const char* expected;
};

void PrintTo(const BundledCase& test, std::ostream* os) { *os << test.name; }

const BundledCase kBundled[] = {
    {"UnsetUnderApplicationHome", {"app/jre/lib/server/libjvm.so", "work/jre/lib/server/libjvm.so"}, "",
     "{app}./jre/lib/server/libjvm.so"},
    {"UnsetOnlyUnderWorkingDirectory", {"work/jre/lib/server/libjvm.so"}, "", "{work}./jre/lib/server/libjvm.so"},
    {"EmptyIsUnset", {"app/jre/lib/server/libjvm.so"}, "jre", "{app}./jre/lib/server/libjvm.so"},
    {"Relative", {"app/runtime/lib/server/libjvm.so"}, "jre runtime", "{app}runtime/lib/server/libjvm.so"},
    {"Absolute", {"java/lib/" CPU "/server/libjvm.so"}, "jre {tmp}/java", "{tmp}/java/lib/" CPU "/server/libjvm.so"},
    {"Missing", {}, "", ""},
};

class BundledRuntime : public RuntimeSearch, public testing::WithParamInterface<BundledCase> {};

TEST_P(BundledRuntime, IsFoundUnderTheResolvedHome)
{
    for (const char* library : GetParam().libraries)
        jretest::PlaceLibrary(m_dir / library);
    EXPECT_EQ(Search(std::string("jre_order b\n") + GetParam().settings), Fill(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Jre, BundledRuntime, testing::ValuesIn(kBundled),
                         [](const testing::TestParamInfo<BundledCase>& info) { return std::string(info.param.name); });

// ---- Letter e ----

struct EnvironmentCase {
    const char* name;
    const char* jreHome;   // nullptr: unset
    const char* javaHome;  // nullptr: unset
    const char* expected;
};

void PrintTo(const EnvironmentCase& test, std::ostream* os) { *os << test.name; }

const EnvironmentCase kEnvironments[] = {
    {"JavaHomeAlone", nullptr, "{tmp}/jdk", "{tmp}/jdk/lib/server/libjvm.so"},
    {"EmptyJreHomeSkipped", "", "{tmp}/jdk", "{tmp}/jdk/lib/server/libjvm.so"},
    {"JreHomeFirst", "{tmp}/jre", "{tmp}/jdk", "{tmp}/jre/lib/server/libjvm.so"},
    {"JreHomeWithoutLibrary", "{tmp}/empty", "{tmp}/jdk", "{tmp}/jdk/lib/server/libjvm.so"},
    {"TrailingSlashKept", nullptr, "{tmp}/jdk/", "{tmp}/jdk/lib/server/libjvm.so"},
    {"NeitherSet", nullptr, nullptr, ""},
};

class EnvironmentRuntime : public RuntimeSearch, public testing::WithParamInterface<EnvironmentCase> {};

TEST_P(EnvironmentRuntime, FirstVariableWithALibraryWins)
{
    jretest::PlaceLibrary(m_dir / "jre/lib/server/libjvm.so");
    jretest::PlaceLibrary(m_dir / "jdk/lib/server/libjvm.so");
    testsupport::MakeDirectories(m_dir / "empty");
    if (GetParam().jreHome)
        m_environment.Set("JRE_HOME", Fill(GetParam().jreHome));
    if (GetParam().javaHome)
        m_environment.Set("JAVA_HOME", Fill(GetParam().javaHome));
    EXPECT_EQ(Search("jre_order e"), Fill(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Variables, EnvironmentRuntime, testing::ValuesIn(kEnvironments),
                         [](const testing::TestParamInfo<EnvironmentCase>& info) { return std::string(info.param.name); });

// ---- Letter s ----

struct LinkCase {
    const char* name;
    const char* pathDirectory;                                 // below the test's directory
    std::vector<std::pair<const char*, const char*>> links;  // link (below the test's directory), target
    const char* expected;
};

void PrintTo(const LinkCase& test, std::ostream* os) { *os << test.name; }

const LinkCase kLinkChains[] = {
    {"CommandItself", "sjdk/bin", {}, "{tmp}/sjdk/bin/../lib/server/libjvm.so"},
    {"AbsoluteTargets", "bin", {{"bin/java", "{tmp}/alternatives/java"}, {"alternatives/java", "{tmp}/sjdk/bin/java"}},
     "{tmp}/sjdk/bin/../lib/server/libjvm.so"},
    {"RelativeTargetsFromTheLinksDirectory", "bin",
     {{"bin/java", "../alternatives/java"}, {"alternatives/java", "../sjdk/bin/java"}},
     "{tmp}/bin/../alternatives/../sjdk/bin/../lib/server/libjvm.so"},
    {"RelativeTargetInTheSameDirectory", "bin", {{"bin/java", "java.real"}, {"bin/java.real", "{tmp}/sjdk/bin/java"}},
     "{tmp}/sjdk/bin/../lib/server/libjvm.so"},
    {"Loop", "bin", {{"bin/java", "java2"}, {"bin/java2", "java"}}, ""},
    {"LongerThan200Bytes",
     "p123456789012345678901234567890123456789012345678901234567890123456789/"
     "q123456789012345678901234567890123456789012345678901234567890123456789/"
     "r123456789012345678901234567890123456789012345678901234567890123456789",
     {{"p123456789012345678901234567890123456789012345678901234567890123456789/"
       "q123456789012345678901234567890123456789012345678901234567890123456789/"
       "r123456789012345678901234567890123456789012345678901234567890123456789/java",
       "{tmp}/sjdk/bin/java"}},
     "{tmp}/sjdk/bin/../lib/server/libjvm.so"},
};

class JavaCommandLinks : public RuntimeSearch, public testing::WithParamInterface<LinkCase> {};

TEST_P(JavaCommandLinks, AreFollowedToTheRuntime)
{
    jretest::PlaceLibrary(m_dir / "sjdk/lib/server/libjvm.so");
    jretest::PlaceJavaCommand(m_dir / "sjdk/bin/java");
    for (const auto& [link, target] : GetParam().links)
        jretest::MakeLink(Fill(target), m_dir / link);
    UsePath(GetParam().pathDirectory);
    EXPECT_EQ(SearchPath(), Fill(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Chains, JavaCommandLinks, testing::ValuesIn(kLinkChains),
                         [](const testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

struct ChainLengthCase {
    int links;
    bool found;
};

void PrintTo(const ChainLengthCase& test, std::ostream* os) { *os << test.links << " links"; }

class JavaCommandChainLength : public RuntimeSearch, public testing::WithParamInterface<ChainLengthCase> {};

// bin/java -> l1 -> ... -> l<n-1> -> the command: n links in all.
TEST_P(JavaCommandChainLength, AtMostFortyLinksAreFollowed)
{
    jretest::PlaceLibrary(m_dir / "sjdk/lib/server/libjvm.so");
    jretest::PlaceJavaCommand(m_dir / "sjdk/bin/java");
    const int links = GetParam().links;
    for (int i = 0; i < links; ++i) {
        const std::string link = i == 0 ? m_dir / "bin/java" : m_dir / ("chain/l" + std::to_string(i));
        const std::string target = i == links - 1 ? m_dir / "sjdk/bin/java" : m_dir / ("chain/l" + std::to_string(i + 1));
        jretest::MakeLink(target, link);
    }
    UsePath("bin");
    EXPECT_EQ(SearchPath(), GetParam().found ? m_dir / "sjdk/bin/../lib/server/libjvm.so" : "");
}

INSTANTIATE_TEST_SUITE_P(Bound, JavaCommandChainLength, testing::Values(ChainLengthCase{40, true}, ChainLengthCase{41, false}),
                         [](const testing::TestParamInfo<ChainLengthCase>& info) {
                             return std::to_string(info.param.links) + "Links";
                         });

// The java command is the first executable regular file named java along PATH.
struct PathCase {
    const char* name;
    const char* path;      // PATH, with {tmp} filled in; null leaves it unset
    const char* expected;  // "/" stands for whatever the search finds under the root directory
};

void PrintTo(const PathCase& test, std::ostream* os) { *os << test.name; }

const PathCase kPathCases[] = {
    {"NoJavaSearchesTheRoot", "{tmp}/empty:{tmp}/nojava", "/"},
    {"UnsetPathSearchesTheRoot", nullptr, "/"},
    {"FirstDirectoryWithJavaWins", "{tmp}/nojava:{tmp}/sjdk/bin:{tmp}/other/bin", "{tmp}/sjdk/bin/../lib/server/libjvm.so"},
    {"NonExecutableJavaSkipped", "{tmp}/plain:{tmp}/sjdk/bin", "{tmp}/sjdk/bin/../lib/server/libjvm.so"},
    {"DirectoryNamedJavaSkipped", "{tmp}/dir:{tmp}/sjdk/bin", "{tmp}/sjdk/bin/../lib/server/libjvm.so"},
    {"EmptyEntryWithoutJavaSkipped", ":{tmp}/other/bin", "{tmp}/other/bin/../lib/server/libjvm.so"},
};

class JavaOnPath : public RuntimeSearch, public testing::WithParamInterface<PathCase> {};

TEST_P(JavaOnPath, DecidesTheDirectory)
{
    jretest::PlaceLibrary(m_dir / "sjdk/lib/server/libjvm.so");
    jretest::PlaceJavaCommand(m_dir / "sjdk/bin/java");
    jretest::PlaceLibrary(m_dir / "other/lib/server/libjvm.so");
    jretest::PlaceJavaCommand(m_dir / "other/bin/java");
    testsupport::WriteFile(m_dir / "plain/java", "not a program\n", 0644);
    testsupport::MakeDirectories(m_dir / "dir/java");
    testsupport::MakeDirectories(m_dir / "nojava");
    if (GetParam().path)
        m_environment.Set("PATH", Fill(GetParam().path));
    else
        m_environment.Unset("PATH");

    std::string expected = Fill(GetParam().expected);
    if (expected == "/") {
        jretest::TestStore store("", m_app, m_work);
        expected = FindJvmLibrary(store.Get(), "/").c_str();
    }
    EXPECT_EQ(SearchPath(), expected);
}

INSTANTIATE_TEST_SUITE_P(Path, JavaOnPath, testing::ValuesIn(kPathCases),
                         [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

// ---- Runtime layouts through every letter ----

struct RuntimeLayout {
    const char* name;
    const char* library;  // below the runtime's home
};

void PrintTo(const RuntimeLayout& test, std::ostream* os) { *os << test.name; }

const RuntimeLayout kRuntimeLayouts[] = {
    {"Java8Runtime", "lib/" CPU "/server/libjvm.so"},
    {"Java8Kit", "jre/lib/" CPU "/server/libjvm.so"},
    {"Today", "lib/server/libjvm.so"},
};

class LayoutThroughLetter : public RuntimeSearch,
                            public testing::WithParamInterface<std::tuple<RuntimeLayout, char>> {};

TEST_P(LayoutThroughLetter, FindsTheLibrary)
{
    const auto& [layout, letter] = GetParam();
    const std::string home = m_dir / "runtime";
    jretest::PlaceLibrary(home + "/" + layout.library);
    jretest::PlaceJavaCommand(home + "/bin/java");
    std::string settings = std::string("jre_order ") + letter + "\n";
    std::string expected = home + "/" + layout.library;
    switch (letter) {
    case 'c':
        settings += "jvmdll " + expected;
        break;
    case 'b':
        settings += "jre " + home;
        break;
    case 's':
        UsePath("runtime/bin");
        expected = home + "/bin/../" + layout.library;
        break;
    case 'e':
        m_environment.Set("JAVA_HOME", home);
        break;
    }
    EXPECT_EQ(Search(settings), expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutThroughLetter,
                         testing::Combine(testing::ValuesIn(kRuntimeLayouts), testing::Values('c', 'b', 's', 'e')),
                         [](const testing::TestParamInfo<std::tuple<RuntimeLayout, char>>& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param);
                         });

}  // namespace
