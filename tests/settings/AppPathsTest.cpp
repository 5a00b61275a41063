#include "SettingsFixtures.h"

#include "settings/AppPaths.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using settingstest::CurrentDirectory;
using settingstest::ScopedCwd;
using settingstest::ScopedStore;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::string Str(const MyCString& s)
{
    return std::string(s.c_str(), s.GetLength());
}

struct DirectoryCase {
    const char* path;
    const char* directory;
};

void PrintTo(const DirectoryCase& c, std::ostream* os)
{
    *os << c.path;
}

class DirectoryOfTest : public testing::TestWithParam<DirectoryCase> {};

TEST_P(DirectoryOfTest, KeepsThroughTheLastSeparator)
{
    EXPECT_EQ(GetParam().directory, Str(DirectoryOf(MyCString(GetParam().path))));
}

INSTANTIATE_TEST_SUITE_P(Paths, DirectoryOfTest,
                         testing::Values(DirectoryCase{"/opt/app/bin/run", "/opt/app/bin/"},
                                         DirectoryCase{"C:\\app\\run.exe", "C:\\app\\"},
                                         DirectoryCase{"/opt/a\\b", "/opt/a\\"},
                                         DirectoryCase{"/run", "/"},
                                         DirectoryCase{"run", ""},
                                         DirectoryCase{"", ""}));

struct CombineCase {
    const char* base;
    const char* path;
    const char* joined;
};

void PrintTo(const CombineCase& c, std::ostream* os)
{
    *os << c.base << " + " << c.path;
}

const CombineCase kCombineCases[] = {
    {"/opt/app", "x", "/opt/app/x"},
    {"/opt/app/", "x", "/opt/app/x"},
    {"C:\\app\\", "x", "C:\\app\\x"},
    {"C:\\app", "x", "C:\\app/x"},
    {"/opt/app/", "/tmp", "/tmp"},
    {"/opt/app/", "D:data", "D:data"},
    {"C:\\app\\", "\\y", "C:\\y"},
    {"/opt/app/", "\\y", "\\y"},
    {":x\\", "\\y", "\\y"},
    {"/opt/app/", "", "/opt/app/"},
    {"", "x", "x"},
};

class CombinePathTest : public testing::TestWithParam<CombineCase> {};

TEST_P(CombinePathTest, JoinsIntoTheBuffer)
{
    const CombineCase& c = GetParam();
    char buffer[64];
    memset(buffer, '#', sizeof buffer);
    int length = CombinePath(c.base, c.path, buffer, sizeof buffer);
    EXPECT_EQ(static_cast<int>(strlen(c.joined)), length);
    EXPECT_STREQ(c.joined, buffer);
}

INSTANTIATE_TEST_SUITE_P(Paths, CombinePathTest, testing::ValuesIn(kCombineCases));

struct CutCase {
    int size;
    std::string written;
};

void PrintTo(const CutCase& c, std::ostream* os)
{
    *os << c.size;
}

class CombinePathCutTest : public testing::TestWithParam<CutCase> {};

TEST_P(CombinePathCutTest, WritesAtMostSizeBytesAndReturnsTheFullLength)
{
    const CutCase& c = GetParam();
    char buffer[16];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(8, CombinePath("/opt", "abc", buffer, c.size));
    EXPECT_EQ(c.written, std::string(buffer, c.written.size()));
    EXPECT_EQ('#', buffer[c.written.size()]) << "nothing written past the buffer's size";
}

INSTANTIATE_TEST_SUITE_P(Sizes, CombinePathCutTest,
                         testing::Values(CutCase{0, ""}, CutCase{4, "/opt"}, CutCase{8, "/opt/abc"},
                                         CutCase{9, std::string("/opt/abc\0", 9)}));

TEST(CombinePathTest, JoinedPathOfExactlyTheBufferSizeIsCutAndIgnoredByForcecwd)
{
    std::string home = "/" + std::string(4090, 'a');
    char buffer[4096];
    EXPECT_EQ(4096, CombinePath(home.c_str(), "bcde", buffer, sizeof buffer));
    EXPECT_EQ('e', buffer[4095]);

    ScopedCwd cwd;
    ScopedStore published((home + "/run").c_str(), (home + "/").c_str(), "/");
    std::string before = CurrentDirectory();
    ApplyForcedWorkingDirectory("bcde");
    EXPECT_EQ(before, CurrentDirectory());
}

class ForcedDirectoryTest : public testing::Test {
protected:
    TempDir m_dir;
    ScopedCwd m_cwd;
};

TEST_F(ForcedDirectoryTest, RelativeValueIsTakenFromTheApplicationHome)
{
    WriteFile(m_dir / "home/data/keep", "");
    std::string home = m_dir / "home/";
    ScopedStore published((home + "run").c_str(), home.c_str(), "/");
    ASSERT_EQ(0, chdir("/"));
    ApplyForcedWorkingDirectory("data");
    EXPECT_EQ(m_dir / "home/data", CurrentDirectory());
    published.Store().RefreshWorkingDirectory();
    EXPECT_EQ(m_dir / "home/data/", Str(published.Store().m_strWorkDir));
}

TEST_F(ForcedDirectoryTest, AbsoluteValueIsUsedAsItIs)
{
    WriteFile(m_dir / "abs/keep", "");
    ScopedStore published("/nonexistent/run", "/nonexistent/", "/");
    ApplyForcedWorkingDirectory((m_dir / "abs").c_str());
    EXPECT_EQ(m_dir / "abs", CurrentDirectory());
}

TEST_F(ForcedDirectoryTest, MissingDirectoryChangesNothing)
{
    std::string home = m_dir.Path() + "/";
    ScopedStore published((home + "run").c_str(), home.c_str(), "/");
    ASSERT_EQ(0, chdir(m_dir.Path().c_str()));
    ApplyForcedWorkingDirectory("missing");
    EXPECT_EQ(m_dir.Path(), CurrentDirectory());
}

TEST_F(ForcedDirectoryTest, RefreshEndsTheDirectoryInOneSeparator)
{
    CSettingsLoader store(false);
    ASSERT_EQ(0, chdir("/"));
    store.RefreshWorkingDirectory();
    EXPECT_EQ("/", Str(store.m_strWorkDir));
    ASSERT_EQ(0, chdir(m_dir.Path().c_str()));
    store.RefreshWorkingDirectory();
    EXPECT_EQ(m_dir.Path() + "/", Str(store.m_strWorkDir));
}

struct ResolveCase {
    const char* name;
    const char* path;
    const char* expected;  // "H" and "W" stand for the home and working directories
};

void PrintTo(const ResolveCase& c, std::ostream* os)
{
    *os << c.name;
}

const ResolveCase kResolveCases[] = {
    {"ReadableInHome", "lib/a.jar", "H/lib/a.jar"},
    {"ReadableOnlyInWorkDir", "lib/b.jar", "W/lib/b.jar"},
    {"ReadableInBoth", "lib/both.jar", "H/lib/both.jar"},
    {"ReadableNowhere", "lib/c.jar", "H/lib/c.jar"},
    {"EmptyIsTheHome", "", "H/"},
    {"Absolute", "/x/a.jar", "/x/a.jar"},
    {"BackslashRooted", "\\x\\a.jar", "\\x\\a.jar"},
    {"DriveQualified", "C:a.jar", "C:a.jar"},
};

class ResolvePathTest : public testing::TestWithParam<ResolveCase> {};

TEST_P(ResolvePathTest, PrefersTheApplicationHome)
{
    const ResolveCase& c = GetParam();
    TempDir dir;
    WriteFile(dir / "home/lib/a.jar", "");
    WriteFile(dir / "home/lib/both.jar", "");
    WriteFile(dir / "work/lib/b.jar", "");
    WriteFile(dir / "work/lib/both.jar", "");
    CSettingsLoader store(false);
    store.m_strAppHome = MyCString((dir / "home/").c_str());
    store.m_strWorkDir = MyCString((dir / "work/").c_str());
    std::string expected = c.expected;
    if (expected[0] == 'H')
        expected = dir / "home" + expected.substr(1);
    else if (expected[0] == 'W')
        expected = dir / "work" + expected.substr(1);
    EXPECT_EQ(expected, Str(store.ResolvePath(CStringRefT<char>(c.path))));
}

INSTANTIATE_TEST_SUITE_P(Paths, ResolvePathTest, testing::ValuesIn(kResolveCases),
                         [](const testing::TestParamInfo<ResolveCase>& info) { return info.param.name; });

}  // namespace
