// BuildClassPath over real files under a fixture application home and working directory.
#include "JreFixture.h"
#include "TestSupport.h"

#include "jre/ClassPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <unistd.h>

namespace {

using testsupport::TempDir;

std::string OwnExecutablePath()
{
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

struct ClassPathCase {
    const char* name;
    std::vector<const char*> files;  // empty files below the test's directory; a trailing '/' makes a directory
    const char* settings;
    std::vector<std::pair<const char*, const char*>> environment;
    // What follows the executable's path; several when the listing order decides.
    std::vector<const char*> expected;
};

// Cases show as their names in test listings.
void PrintTo(const ClassPathCase& test, std::ostream* os) { *os << test.name; }

const ClassPathCase kCases[] = {
    {"ExecutableAlone", {}, "", {}, {""}},
    {"Example",
     {"app/lib/a.jar", "app/ext/c.jar", "app/ext/more/d.zip"},
     "classpath=lib/a.jar:/usr/share/java/b.jar\nlibs=ext",
     {},
     {":{app}lib/a.jar:/usr/share/java/b.jar:{app}ext/c.jar:{app}ext/more/d.zip",
      ":{app}lib/a.jar:/usr/share/java/b.jar:{app}ext/more/d.zip:{app}ext/c.jar"}},
    {"EmptyPiecesDropped", {}, "classpath=:a.jar::b.jar:", {}, {":{app}a.jar:{app}b.jar"}},
    {"SeveralLinesInTextOrder",
     {"app/l1/one.jar", "app/l2/two.zip"},
     "classpath a.jar\nlibs l1\nclasspath /x/b.jar\nlibs l2",
     {},
     {":{app}a.jar:/x/b.jar:{app}l1/one.jar:{app}l2/two.zip"}},
    {"RelativeOnlyInWorkingDirectory", {"work/w.jar", "work/wl/x.jar"}, "classpath w.jar\nlibs wl", {},
     {":{work}w.jar:{work}wl/x.jar"}},
    {"VariableWithSeveralEntriesIsOnePiece", {}, "classpath %JRETEST_CP%", {{"JRETEST_CP", "x.jar:y.jar"}},
     {":{app}x.jar:y.jar"}},
    {"LibsValueExpandedNotSplit", {"app/ext/c.jar"}, "libs %JRETEST_LIBS%", {{"JRETEST_LIBS", "ext"}},
     {":{app}ext/c.jar"}},
    {"NestedArchives", {"app/deep/a/b/c/x.jar"}, "libs deep", {}, {":{app}deep/a/b/c/x.jar"}},
    {"LibsWithTrailingSlash", {"app/ext/c.jar"}, "libs ext/", {}, {":{app}ext/c.jar"}},
    {"MissingLibsDirectory", {}, "libs nothere", {}, {""}},
    {"ArchiveListedTwice", {"app/lib/a.jar"}, "classpath lib/a.jar\nlibs lib", {}, {":{app}lib/a.jar:{app}lib/a.jar"}},
    // One archive per directory, so the listing order cannot change the result.
    {"UpperCaseJarTaken", {"app/s/lib.JAR", "app/s/a.jar.bak", "app/s/readme"}, "libs s", {}, {":{app}s/lib.JAR"}},
    {"MixedCaseZipTaken", {"app/s/x.Zip", "app/s/jar", "app/s/.hidden"}, "libs s", {}, {":{app}s/x.Zip"}},
    {"DirectoryNamedJarScannedNotAdded", {"app/s/old.jar/in.jar", "app/s/new.zip/"}, "libs s", {},
     {":{app}s/old.jar/in.jar"}},
    {"ClasspathEmpty", {}, "", {{"CLASSPATH", ""}}, {":"}},
    {"BothVariablesClasspathFirst", {}, "classpath a.jar", {{"CLASS_PATH", "/c2"}, {"CLASSPATH", "/c1"}},
     {":{app}a.jar:/c1:/c2"}},
    {"ClassPathAlone", {}, "", {{"CLASS_PATH", "/c2"}}, {":/c2"}},
    {"VariableTakenAsItIs", {}, "", {{"CLASSPATH", "rel.jar::$HOME"}}, {":rel.jar::$HOME"}},
};

class ClassPath : public testing::TestWithParam<ClassPathCase> {};

TEST_P(ClassPath, IsAssembledInOrder)
{
    const ClassPathCase& test = GetParam();
    TempDir dir;
    const std::string app = dir / "app/";
    const std::string work = dir / "work/";
    testsupport::MakeDirectories(app);
    testsupport::MakeDirectories(work);
    for (const std::string file : test.files) {
        if (file.back() == '/')
            testsupport::MakeDirectories(dir / file);
        else
            testsupport::WriteFile(dir / file, "");
    }
    jretest::ScopedEnvironment environment;
    environment.Unset("CLASSPATH");
    environment.Unset("CLASS_PATH");
    for (const auto& [name, value] : test.environment)
        environment.Set(name, value);
    jretest::TestStore store(test.settings, app, work);

    const std::string classPath = BuildClassPath(store.Get()).c_str();

    std::vector<std::string> expected;
    for (const char* tail : test.expected)
        expected.push_back(OwnExecutablePath() + jretest::Substitute(jretest::Substitute(tail, "app", app), "work", work));
    EXPECT_NE(std::find(expected.begin(), expected.end(), classPath), expected.end())
        << "class path: " << classPath << "\nexpected:   " << expected.front();
}

INSTANTIATE_TEST_SUITE_P(Cases, ClassPath, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ClassPathCase>& info) { return std::string(info.param.name); });

TEST(ScanJarDirectory, AppendsToWhatIsThere)
{
    TempDir dir;
    testsupport::WriteFile(dir / "a.jar", "");
    MyCString out("start");
    ScanJarDirectory(dir.Path().c_str(), out);
    EXPECT_EQ(std::string(out.c_str()), "start:" + dir.Path() + "/a.jar");
}

}  // namespace
