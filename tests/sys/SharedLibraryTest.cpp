#include "sys/SharedLibrary.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>
#include <unistd.h>

namespace {

TEST(SharedLibraryTest, MissingLibraryGivesNullAndAReason)
{
    testsupport::TempDir dir;
    std::string path = dir / "libmissing.so";
    EXPECT_EQ(nullptr, LoadSharedLibrary(path.c_str()));
    const char* reason = dlerror();
    ASSERT_NE(nullptr, reason);
    EXPECT_NE(std::string::npos, std::string(reason).find(path)) << reason;
}

TEST(SharedLibraryTest, FileThatIsNoLibraryGivesNull)
{
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "libjvm.so", "not an ELF file");
    EXPECT_EQ(nullptr, LoadSharedLibrary((dir / "libjvm.so").c_str()));
    EXPECT_NE(nullptr, dlerror());
}

TEST(SharedLibraryTest, RealLibraryAndItsSymbols)
{
    void* library = LoadSharedLibrary("libc.so.6");
    ASSERT_NE(nullptr, library) << dlerror();
    auto getProcessId = reinterpret_cast<pid_t (*)()>(GetLibrarySymbol(library, "getpid"));
    ASSERT_NE(nullptr, getProcessId);
    EXPECT_EQ(getpid(), getProcessId());
    EXPECT_EQ(nullptr, GetLibrarySymbol(library, "JNI_CreateJavaVM"));
    EXPECT_EQ(1, FreeSharedLibrary(library));
}

}  // namespace
