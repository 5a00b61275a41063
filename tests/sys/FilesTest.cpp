#include "sys/Files.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

// Opens path and fails the test when it cannot.
SysHandle* Open(const std::string& path)
{
    SysHandle* file = OpenReadOnly(path.c_str());
    EXPECT_NE(INVALID_SYS_HANDLE, file) << path;
    return file;
}

TEST(FilesTest, OpenOfAMissingFileGivesTheInvalidHandle)
{
    TempDir dir;
    EXPECT_EQ(INVALID_SYS_HANDLE, OpenReadOnly((dir / "missing").c_str()));
    EXPECT_EQ(INVALID_SYS_HANDLE, OpenReadOnly(nullptr));
}

TEST(FilesTest, OpenGivesAFileHandle)
{
    TempDir dir;
    WriteFile(dir / "data", "hello");
    SysHandle* file = Open(dir / "data");
    ASSERT_NE(INVALID_SYS_HANDLE, file);
    EXPECT_EQ(kSysHandleFile, file->kind);
    EXPECT_EQ(0u, file->length);
    EXPECT_EQ(5u, GetHandleFileSize(file));
    EXPECT_EQ(1, CloseSysHandle(file));
}

TEST(FilesTest, ReadHandleUntilTheEnd)
{
    TempDir dir;
    WriteFile(dir / "data", "hello");
    SysHandle* file = Open(dir / "data");
    ASSERT_NE(INVALID_SYS_HANDLE, file);
    char buffer[16];
    long count = -2;
    EXPECT_EQ(1, ReadHandle(file, buffer, 3, &count));
    EXPECT_EQ(3, count);
    EXPECT_EQ("hel", std::string(buffer, 3));
    EXPECT_EQ(1, ReadHandle(file, buffer, sizeof(buffer), &count));
    EXPECT_EQ(2, count);
    EXPECT_EQ("lo", std::string(buffer, 2));
    EXPECT_EQ(1, ReadHandle(file, buffer, sizeof(buffer), &count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(1, ReadHandle(file, buffer, sizeof(buffer), nullptr));
    CloseSysHandle(file);
}

TEST(FilesTest, ReadOfADirectoryStoresMinusOne)
{
    TempDir dir;
    SysHandle* file = Open(dir.Path());
    ASSERT_NE(INVALID_SYS_HANDLE, file);
    char buffer[16];
    long count = 0;
    EXPECT_EQ(1, ReadHandle(file, buffer, sizeof(buffer), &count));
    EXPECT_EQ(-1, count);
    CloseSysHandle(file);
}

// A sparse file: no disk space is used.
TEST(FilesTest, SizeOfAFileBeyond4GiBKeepsItsLow32Bits)
{
    TempDir dir;
    std::string path = dir / "big";
    int fd = open64(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const long long size = (1LL << 32) + 10;
    ASSERT_EQ(0, ftruncate64(fd, size));
    close(fd);
    SysHandle* file = Open(path);
    ASSERT_NE(INVALID_SYS_HANDLE, file);
    EXPECT_EQ(10u, GetHandleFileSize(file));
    EXPECT_EQ(size, GetHandleFileSize64(file));
    CloseSysHandle(file);
}

TEST(FilesTest, MapReadOnlyMapsTheWholeFileUntilClosed)
{
    TempDir dir;
    std::string bytes(10000, 'm');
    bytes += "end";
    WriteFile(dir / "data", bytes);
    SysHandle* file = Open(dir / "data");
    ASSERT_NE(INVALID_SYS_HANDLE, file);
    SysHandle* mapping = MapReadOnly(file);
    ASSERT_NE(INVALID_SYS_HANDLE, mapping);
    EXPECT_EQ(kSysHandleMapping, mapping->kind);
    EXPECT_EQ(bytes.size(), mapping->length);
    const void* address = GetMappedAddress(mapping);
    EXPECT_EQ(bytes, std::string(static_cast<const char*>(address), bytes.size()));
    EXPECT_EQ(1, ReleaseMappedAddress(address));
    EXPECT_EQ('m', *static_cast<const char*>(address)) << "still mapped after the release";
    EXPECT_EQ(1, CloseSysHandle(mapping));
    // mincore fails with ENOMEM for a range that is no longer mapped.
    std::vector<unsigned char> pages(bytes.size() / 4096 + 2);
    void* page = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(address) & ~uintptr_t{4095});
    EXPECT_EQ(-1, mincore(page, bytes.size(), pages.data()));
    EXPECT_EQ(ENOMEM, errno);
    CloseSysHandle(file);
}

TEST(FilesTest, MapOfAnEmptyFileGivesTheInvalidHandle)
{
    TempDir dir;
    WriteFile(dir / "empty", "");
    SysHandle* file = Open(dir / "empty");
    ASSERT_NE(INVALID_SYS_HANDLE, file);
    EXPECT_EQ(0u, GetHandleFileSize(file));
    EXPECT_EQ(INVALID_SYS_HANDLE, MapReadOnly(file));
    CloseSysHandle(file);
}

std::string RealExecutablePath()
{
    char* resolved = realpath("/proc/self/exe", nullptr);
    std::string path = resolved ? resolved : "";
    free(resolved);
    return path;
}

TEST(FilesTest, ExecutablePathFitsOrIsEmpty)
{
    const std::string expected = RealExecutablePath();
    ASSERT_FALSE(expected.empty());
    struct Case {
        size_t size;
        std::string path;
    };
    const Case cases[] = {
        {4096, expected},
        {expected.size() + 1, expected},
        {expected.size(), ""},  // fills the whole buffer: may have been cut
        {4, ""},
        {1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size);
        std::vector<char> buffer(c.size + 1, 'Z');
        GetExecutablePath(buffer.data(), c.size);
        EXPECT_EQ(c.path, std::string(buffer.data()).substr(0, c.size));
        EXPECT_EQ('\0', buffer[c.path.size()]);
        EXPECT_EQ('Z', buffer[c.size]) << "nothing written past the size";
    }
    char untouched = 'Z';
    GetExecutablePath(&untouched, 0);
    EXPECT_EQ('Z', untouched);
}

TEST(FilesTest, WorkingDirectory)
{
    char expected[PATH_MAX];
    ASSERT_NE(nullptr, getcwd(expected, sizeof(expected)));
    char buffer[PATH_MAX];
    EXPECT_EQ(static_cast<int>(strlen(expected)), GetWorkingDirectory(sizeof(buffer), buffer));
    EXPECT_STREQ(expected, buffer);
    char small[2] = {'Z', 'Z'};
    EXPECT_EQ(0, GetWorkingDirectory(sizeof(small), small));
    EXPECT_STREQ("", small);
}

TEST(FilesTest, IsReadable)
{
    TempDir dir;
    WriteFile(dir / "file", "x");
    EXPECT_TRUE(IsReadable((dir / "file").c_str()));
    EXPECT_TRUE(IsReadable(dir.Path().c_str()));
    EXPECT_FALSE(IsReadable((dir / "missing").c_str()));
    EXPECT_FALSE(IsReadable(nullptr));
}

TEST(FilesTest, IsReadableOfAnUnreadableFile)
{
    // access(R_OK) grants root every file, whatever its mode.
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, which may read a file of mode 000";
    TempDir dir;
    WriteFile(dir / "secret", "x", 0000);
    EXPECT_FALSE(IsReadable((dir / "secret").c_str()));
}

TEST(FilesTest, CopyBoundedCutsLikeStrncpy)
{
    struct Case {
        const char* source;
        size_t size;
        std::string written;  // the bytes within size
    };
    const Case cases[] = {
        {"abc", 6, std::string("abc\0\0\0", 6)},
        {"abc", 4, std::string("abc\0", 4)},
        {"abc", 3, "abc"},  // cut: no terminator
        {"abcdef", 2, "ab"},
        {"", 2, std::string("\0\0", 2)},
        {"abc", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << c.source << "\" into " << c.size);
        char target[8];
        memset(target, 'Z', sizeof(target));
        EXPECT_EQ(strlen(c.source), CopyBounded(c.source, c.size, target));
        EXPECT_EQ(c.written, std::string(target, c.size));
        EXPECT_EQ('Z', target[c.size]);
    }
}

}  // namespace
