// FindJvmLibrary over fixture trees of the runtime layouts, old and new.
#include "JreFixture.h"
#include "TestSupport.h"

#include "jre/JvmLibrary.h"

#include <gtest/gtest.h>

#include <elf.h>

namespace {

using testsupport::TempDir;

#define CPU LAUNCHER_CPU_DIR

constexpr unsigned char kOwnClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kOtherClass = sizeof(void*) == 8 ? ELFCLASS32 : ELFCLASS64;
constexpr unsigned short kOtherMachine = sizeof(void*) == 8 ? EM_386 : EM_X86_64;

enum class Kind {
    Library,       // a libjvm.so of this build
    OtherClass,    // an ELF header of the other class and processor
    OtherMachine,  // an ELF header of this class for another processor
    Text,          // a readable file that is no ELF file at all
    Directory,
    Link,          // a symbolic link to target (relative to the link)
};

struct Entry {
    Kind kind;
    const char* path;  // below the test's directory
    const char* target = "";
};

struct LayoutCase {
    const char* name;
    std::vector<Entry> entries;
    const char* settings;
    const char* home;      // below the test's directory
    const char* expected;  // below the test's directory; "" for no library
};

// Cases show as their names in test listings.
void PrintTo(const LayoutCase& test, std::ostream* os) { *os << test.name; }

void Place(const std::string& root, const Entry& entry)
{
    const std::string path = root + "/" + entry.path;
    switch (entry.kind) {
    case Kind::Library:
        jretest::PlaceLibrary(path);
        break;
    case Kind::OtherClass:
        jretest::PlaceElfHeader(path, kOtherClass, kOtherMachine);
        break;
    case Kind::OtherMachine:
        jretest::PlaceElfHeader(path, kOwnClass, EM_AARCH64);
        break;
    case Kind::Text:
        testsupport::WriteFile(path, "not a library\n");
        break;
    case Kind::Directory:
        testsupport::MakeDirectories(path);
        break;
    case Kind::Link:
        jretest::MakeLink(entry.target, path);
        break;
    }
}

const LayoutCase kLayouts[] = {
    // The eight places, in order of the probes.
    {"HomeItself", {{Kind::Library, "h/libjvm.so"}}, "", "h", "h/libjvm.so"},
    {"CpuDirectory", {{Kind::Library, "h/" CPU "/libjvm.so"}}, "", "h", "h/" CPU "/libjvm.so"},
    {"CpuVmDirectory", {{Kind::Library, "h/" CPU "/server/libjvm.so"}}, "", "h", "h/" CPU "/server/libjvm.so"},
    {"Java8Runtime", {{Kind::Library, "h/lib/" CPU "/server/libjvm.so"}}, "", "h",
     "h/lib/" CPU "/server/libjvm.so"},
    {"Java8RuntimeThroughVm", {{Kind::Library, "h/lib/" CPU "/server/libjvm.so"}}, "vm server", "h",
     "h/lib/" CPU "/server/libjvm.so"},
    {"Java8Kit", {{Kind::Library, "h/jre/lib/" CPU "/server/libjvm.so"}}, "", "h",
     "h/jre/lib/" CPU "/server/libjvm.so"},
    {"Java8RuntimeBin", {{Kind::Library, "h/lib/" CPU "/server/libjvm.so"}, {Kind::Directory, "h/bin"}}, "",
     "h/bin", "h/bin/../lib/" CPU "/server/libjvm.so"},
    {"Java8KitJreBin", {{Kind::Library, "h/jre/lib/" CPU "/server/libjvm.so"}, {Kind::Directory, "h/jre/bin"}},
     "", "h/jre/bin", "h/jre/bin/../lib/" CPU "/server/libjvm.so"},
    {"Java8KitBin", {{Kind::Library, "h/jre/lib/" CPU "/server/libjvm.so"}, {Kind::Directory, "h/bin"}}, "",
     "h/bin", "h/bin/../jre/lib/" CPU "/server/libjvm.so"},
    {"TodaysRuntime", {{Kind::Library, "h/lib/server/libjvm.so"}}, "", "h", "h/lib/server/libjvm.so"},
    {"TodaysRuntimeThroughVm", {{Kind::Library, "h/lib/server/libjvm.so"}}, "vm server", "h",
     "h/lib/server/libjvm.so"},
    {"TodaysRuntimeBin", {{Kind::Library, "h/lib/server/libjvm.so"}, {Kind::Directory, "h/bin"}}, "", "h/bin",
     "h/bin/../lib/server/libjvm.so"},
    // How the home is written.
    {"HomeWithTrailingSlash", {{Kind::Library, "h/lib/" CPU "/server/libjvm.so"}}, "", "h/",
     "h/lib/" CPU "/server/libjvm.so"},
    {"HomeEndingInBackslashGetsNoSlash", {{Kind::Library, "h\\libjvm.so"}}, "", "h\\", "h\\libjvm.so"},
    {"MissingHome", {}, "", "none", ""},
    // Ties.
    {"VmClientChosen",
     {{Kind::Library, "h/lib/" CPU "/client/libjvm.so"}, {Kind::Library, "h/lib/" CPU "/server/libjvm.so"}},
     "vm client", "h", "h/lib/" CPU "/client/libjvm.so"},
    {"VmServerChosen",
     {{Kind::Library, "h/lib/" CPU "/client/libjvm.so"}, {Kind::Library, "h/lib/" CPU "/server/libjvm.so"}},
     "vm server", "h", "h/lib/" CPU "/server/libjvm.so"},
    {"VmFromVariable", {{Kind::Library, "h/lib/client/libjvm.so"}, {Kind::Library, "h/lib/server/libjvm.so"}},
     "vm %JRETEST_VM%", "h", "h/lib/client/libjvm.so"},
    {"DirectBeatsVm", {{Kind::Library, "h/lib/" CPU "/libjvm.so"}, {Kind::Library, "h/lib/" CPU "/client/libjvm.so"}},
     "vm client", "h", "h/lib/" CPU "/libjvm.so"},
    {"VmBeatsScan",
     {{Kind::Library, "h/lib/" CPU "/aaa/libjvm.so"}, {Kind::Library, "h/lib/" CPU "/zzz/libjvm.so"},
      {Kind::Library, "h/lib/" CPU "/mine/libjvm.so"}},
     "vm mine", "h", "h/lib/" CPU "/mine/libjvm.so"},
    {"EarlierStepWins", {{Kind::Library, "h/lib/" CPU "/server/libjvm.so"}, {Kind::Library, "h/lib/server/libjvm.so"}},
     "", "h", "h/lib/" CPU "/server/libjvm.so"},
    {"MissingVmFallsBackToScan", {{Kind::Library, "h/lib/server/libjvm.so"}}, "vm client", "h",
     "h/lib/server/libjvm.so"},
    // Only real directories are scanned; the direct and vm probes follow links.
    {"LinkedDirectoryNotScanned", {{Kind::Library, "real/server/libjvm.so"}, {Kind::Link, "h/lib/linked", "../../real/server"}},
     "", "h", ""},
    {"LinkedDirectoryThroughVm", {{Kind::Library, "real/server/libjvm.so"}, {Kind::Link, "h/lib/linked", "../../real/server"}},
     "vm linked", "h", "h/lib/linked/libjvm.so"},
    // Libraries this process could not load are passed over.
    {"OtherClassSkipped", {{Kind::OtherClass, "h/lib/" CPU "/server/libjvm.so"}, {Kind::Library, "h/lib/server/libjvm.so"}},
     "", "h", "h/lib/server/libjvm.so"},
    {"OtherMachineSkipped", {{Kind::OtherMachine, "h/libjvm.so"}, {Kind::Library, "h/lib/server/libjvm.so"}}, "", "h",
     "h/lib/server/libjvm.so"},
    {"OtherClassThroughVmSkipped", {{Kind::OtherClass, "h/lib/server/libjvm.so"}}, "vm server", "h", ""},
    {"OnlyOtherClass", {{Kind::OtherClass, "h/lib/server/libjvm.so"}, {Kind::OtherClass, "h/lib/client/libjvm.so"}},
     "", "h", ""},
    // A file that is no ELF file is left for the loader to reject.
    {"NonElfFileTaken", {{Kind::Text, "h/lib/server/libjvm.so"}}, "", "h", "h/lib/server/libjvm.so"},
};

class JvmLibraryLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(JvmLibraryLayout, FindsTheExpectedLibrary)
{
    const LayoutCase& layout = GetParam();
    TempDir dir;
    for (const Entry& entry : layout.entries)
        Place(dir.Path(), entry);
    jretest::ScopedEnvironment environment;
    environment.Set("JRETEST_VM", "client");
    jretest::TestStore store(layout.settings, dir.Path() + "/", dir.Path() + "/");

    MyCString found = FindJvmLibrary(store.Get(), (dir / layout.home).c_str());

    const std::string expected = *layout.expected ? dir / layout.expected : "";
    EXPECT_EQ(std::string(found.c_str()), expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, JvmLibraryLayout, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(JvmLibrary, EmptyHomeIsTheRootDirectory)
{
    jretest::TestStore store("", "/", "/");
    EXPECT_EQ(std::string(FindJvmLibrary(store.Get(), "").c_str()),
              std::string(FindJvmLibrary(store.Get(), "/").c_str()));
}

TEST(JvmLibrary, FindsTheTestRuntime)
{
    jretest::TestStore store("vm server", "/", "/");
    EXPECT_EQ(std::string(FindJvmLibrary(store.Get(), testsupport::kTestJavaHome).c_str()),
              std::string(testsupport::kTestJavaHome) + "/lib/server/libjvm.so");
}

}  // namespace
