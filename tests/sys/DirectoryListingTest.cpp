#include "sys/DirectoryListing.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

using Listing = std::map<std::string, uint32_t>;  // name -> attributes

// Every entry FindFirst and FindNext report for pattern; the listing is closed afterwards.
Listing List(const std::string& pattern)
{
    Listing listing;
    FindData data;
    FindHandle handle = FindFirst(pattern.c_str(), &data);
    if (handle == kInvalidFindHandle)
        return listing;
    do {
        listing[data.name] = data.attributes;
    } while (FindNext(handle, &data) == 0);
    EXPECT_EQ(-1, FindNext(handle, &data)) << "stays at the end";
    EXPECT_EQ(0, FindClose(handle));
    return listing;
}

// A socket at path, closed at once; its entry stays.
void MakeSocket(const std::string& path)
{
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof(address.sun_path));
    memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(0, bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)));
    close(fd);
}

TEST(DirectoryListingTest, ReportsDirectoriesOnly)
{
    TempDir dir;
    testsupport::MakeDirectories(dir / "sub");
    WriteFile(dir / "file.jar", "data");
    ASSERT_EQ(0, symlink((dir / "sub").c_str(), (dir / "link").c_str()));
    MakeSocket(dir / "sock");
    const Listing expected = {
        {".", kFindAttributeDirectory}, {"..", kFindAttributeDirectory}, {"sub", kFindAttributeDirectory},
        {"file.jar", 0},                {"link", 0},                     {"sock", 0},
    };
    // Only the directory part of the pattern counts.
    for (const std::string& pattern : {dir / "*.*", dir / "", dir / "*.jar", dir / "sub/../*"}) {
        SCOPED_TRACE(pattern);
        EXPECT_EQ(expected, List(pattern));
    }
}

TEST(DirectoryListingTest, PatternWithoutSlashIsTheDirectory)
{
    TempDir dir;
    WriteFile(dir / "sub/inner.jar", "data");
    char previous[4096];
    ASSERT_NE(nullptr, getcwd(previous, sizeof(previous)));
    ASSERT_EQ(0, chdir(dir.Path().c_str()));
    Listing listing = List("sub");
    ASSERT_EQ(0, chdir(previous));
    const Listing expected = {
        {".", kFindAttributeDirectory}, {"..", kFindAttributeDirectory}, {"inner.jar", 0}};
    EXPECT_EQ(expected, listing);
}

TEST(DirectoryListingTest, EmptyDirectoryYieldsDotAndDotDot)
{
    TempDir dir;
    const Listing expected = {{".", kFindAttributeDirectory}, {"..", kFindAttributeDirectory}};
    EXPECT_EQ(expected, List(dir / "*.*"));
}

TEST(DirectoryListingTest, MissingDirectoryGivesMinusOne)
{
    TempDir dir;
    WriteFile(dir / "file.jar", "not a directory");
    FindData data;
    for (const std::string& pattern : {dir / "missing/*.*", dir / "file.jar/*.*", std::string("")}) {
        SCOPED_TRACE(pattern);
        EXPECT_EQ(kInvalidFindHandle, FindFirst(pattern.c_str(), &data));
    }
    EXPECT_EQ(kInvalidFindHandle, FindFirst(nullptr, &data));
}

TEST(DirectoryListingTest, PatternsLongerThan300Bytes)
{
    TempDir dir;
    std::string deep = dir.Path();
    while (deep.size() < 400)
        deep += "/" + std::string(60, 'd');
    testsupport::MakeDirectories(deep);
    WriteFile(deep + "/app.jar", "data");
    const Listing expected = {
        {".", kFindAttributeDirectory}, {"..", kFindAttributeDirectory}, {"app.jar", 0}};
    EXPECT_EQ(expected, List(deep + "/*.*"));

    // Far beyond any path the system accepts: refused, nothing written out of bounds.
    std::string huge = dir.Path() + "/" + std::string(5000, 'x') + "/*.*";
    FindData data;
    EXPECT_EQ(kInvalidFindHandle, FindFirst(huge.c_str(), &data));
}

}  // namespace
