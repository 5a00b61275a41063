// The in-process interface as native code uses it: a generated executable runs the Java
// application Probe, which loads the JNI library interface_probe (built by these tests for
// this build's processor). The library reports what it finds through the launcher's exports
// and shared block; the tests assert what Java prints.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/ipc.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <ostream>
#include <string>

using testsupport::ProcessOptions;
using testsupport::ProcessResult;
using testsupport::TempDir;

namespace {

// args[0]: the JNI library; args[1] "spawn": also run this executable again as a child.
const char kProbeSource[] = R"java(
import java.nio.charset.StandardCharsets;

public class Probe {
    static native String report();
    static native String expand(String value, boolean utf8, int copies);
    static native String executable();

    public static void main(String[] args) throws Exception {
        System.load(args[0]);
        System.out.print(report());
        System.out.println("expand.native=" + expand("%APPLICATION_HOME%x", false, 20).replace('\n', '|'));
        System.out.println("expand.utf8=" + expand("%APPLICATION_HOME%x", true, 20).replace('\n', '|'));
        if (args.length > 1 && args[1].equals("spawn")) {
            Process child = new ProcessBuilder(executable(), args[0]).redirectErrorStream(true).start();
            String output = new String(child.getInputStream().readAllBytes(), StandardCharsets.UTF_8);
            for (String line : output.split("\n"))
                System.out.println("child." + line);
            System.out.println("child.status=" + child.waitFor());
        }
    }
}
)java";

using Report = std::map<std::string, std::string>;

// Lines "key=value" of the application's output.
Report ParseReport(const std::string& output)
{
    Report report;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            report[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return report;
}

std::string BlockVariableName(const std::string& executable)
{
    char name[32];
    snprintf(name, sizeof(name), "KEYSHM%08X", static_cast<unsigned int>(ftok(executable.c_str(), 255)));
    return name;
}

std::string Repeated(const std::string& text, int count)
{
    std::string joined;
    for (int i = 0; i < count; ++i)
        joined += text + "|";
    return joined;
}

class InterfaceTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::MakeJar(m_dir / "probe.jar", {{"Probe.java", kProbeSource}}); }

    // Makes the generated executable at path and runs it from there from now on.
    void PackProbe(const std::string& path)
    {
        m_app = path;
        testsupport::PackRequest request;
        request.jar = m_dir / "probe.jar";
        request.settings = std::string("mainclass Probe\njvmdll ") + testsupport::kTestLibJvm + "\n";
        request.output = m_app;
        testsupport::Pack(request);
    }

    ProcessResult Run(const std::vector<std::string>& extraArguments, ProcessOptions options = {})
    {
        std::vector<std::string> argv = {m_app, INTERFACE_PROBE_LIBRARY};
        argv.insert(argv.end(), extraArguments.begin(), extraArguments.end());
        options.cwd = m_dir.Path();
        options.unsetEnv.push_back("APPLICATION_HOME");
        return testsupport::RunProcess(argv, options);
    }

    TempDir m_dir;
    std::string m_app;
};

TEST_F(InterfaceTest, NativeCodeReachesTheLauncherThroughItsExportsAndBlock)
{
    PackProbe(m_dir / "probe");
    ProcessResult result = Run({});
    ASSERT_EQ(result.status, 0) << result.err;
    Report report = ParseReport(result.out);
    std::string home = m_dir.Path() + "/";

    EXPECT_EQ(report["name"], BlockVariableName(m_app));
    EXPECT_NE(report["published"], "");
    EXPECT_EQ(report["slot0"], "pldr");
    EXPECT_EQ(report["slot1"], "set");

    EXPECT_EQ(report["exe"], m_app);
    EXPECT_EQ(report["home"], home);
    EXPECT_EQ(report["cwd"], home);
    EXPECT_EQ(report["text.terminated"], "yes");
    EXPECT_EQ(report["embedded.first"], "mainclass Probe");

    // Twenty values cross the arrays' first capacity: the launcher grew the probe's own array.
    EXPECT_EQ(report["expand.native"], Repeated(home + "x", 20));
    EXPECT_EQ(report["expand.utf8"], Repeated(home + "x", 20));

    EXPECT_EQ(report["messages"], "20");
    EXPECT_EQ(report["message.1"], "Java Runtime Environment not found.");
    EXPECT_EQ(report["message.8"], "The main startup class is not valid, main method missing.");
    EXPECT_EQ(report["message.274"], "Service '%s' install failed, ");
    EXPECT_EQ(report["message.1024"], "Service type application.\\n\\nUse /install to install service.");
}

TEST_F(InterfaceTest, ExecutablePathBeyond255BytesStillNamesTheBlock)
{
    std::string directory = m_dir.Path();
    while (directory.size() < 300)
        directory += "/a-directory-name-of-forty-bytes-or-so-x";
    testsupport::MakeDirectories(directory);
    PackProbe(directory + "/probe");
    ProcessResult result = Run({});
    ASSERT_EQ(result.status, 0) << result.err;
    Report report = ParseReport(result.out);

    EXPECT_EQ(report["name"], BlockVariableName(m_app));
    EXPECT_NE(report["name"], "KEYSHMFFFFFFFF");
    EXPECT_EQ(report["slot0"], "pldr");
    EXPECT_EQ(report["exe"], m_app);
}

TEST_F(InterfaceTest, ChildOfTheApplicationPublishesItsOwnBlock)
{
    PackProbe(m_dir / "probe");
    ProcessResult result = Run({"spawn"});
    ASSERT_EQ(result.status, 0) << result.err;
    Report report = ParseReport(result.out);

    ASSERT_EQ(report["child.status"], "0") << result.out;
    EXPECT_EQ(report["child.name"], report["name"]);
    EXPECT_EQ(report["inherited"], "");
    EXPECT_EQ(report["child.inherited"], report["published"]);
    EXPECT_NE(report["child.published"], "");
    // The child's own block may lie at the parent's address (without address randomisation it
    // does): its slot 0 holding the child's own store shows that it is the child's.
    EXPECT_EQ(report["child.slot0"], "pldr");
    EXPECT_EQ(report["child.slot1"], "set");
}

// A variable of the block's name in the environment at start is never used as an address.
struct InheritedCase {
    const char* label;
    const char* value;
};

void PrintTo(const InheritedCase& c, std::ostream* os)
{
    *os << c.label;
}

class InheritedVariableTest : public InterfaceTest, public ::testing::WithParamInterface<InheritedCase> {};

TEST_P(InheritedVariableTest, LauncherPublishesItsOwnBlockInstead)
{
    PackProbe(m_dir / "probe");
    ProcessOptions options;
    options.setEnv.push_back(BlockVariableName(m_app) + "=" + GetParam().value);
    ProcessResult result = Run({}, options);
    ASSERT_EQ(result.status, 0) << result.err;
    Report report = ParseReport(result.out);

    EXPECT_EQ(report["inherited"], GetParam().value);
    EXPECT_NE(report["published"], "");
    EXPECT_NE(report["published"], GetParam().value);
    EXPECT_EQ(report["slot0"], "pldr");
    EXPECT_EQ(report["slot1"], "set");
}

const InheritedCase kInheritedCases[] = {
    {"Garbage", "not an address"},
    {"Empty", ""},
    {"UnmappedLowAddress", "10"},
    {"UnmappedHighAddress", "FFFFF000"},
};
INSTANTIATE_TEST_SUITE_P(Value, InheritedVariableTest, ::testing::ValuesIn(kInheritedCases),
                         [](const auto& info) { return std::string(info.param.label); });

// The launcher's dynamic symbol table holds the interface and nothing else of the project's.
TEST(InterfaceExports, DynamicSymbolTableListsExactlyTheInterface)
{
    ProcessResult result = testsupport::RunProcess({"nm", "-D", "--defined-only", testsupport::kLauncherPath});
    ASSERT_EQ(result.status, 0) << result.err;
    // Added by the C library's start files, not by the project.
    const std::set<std::string> startFiles = {"_IO_stdin_used"};
    std::set<std::string> symbols;
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
        std::string name = line.substr(line.find_last_of(' ') + 1);
        if (!startFiles.count(name))
            symbols.insert(name);
    }
    const std::set<std::string> expected = {
        "pldr",
        "msgTable",
        "_ZN15CSettingsLoader18EnumCommonCallbackEPvPKc",
        "_ZN15CSettingsLoader22EnumCommonCallbackUtf8EPvPKc",
    };
    EXPECT_EQ(symbols, expected) << result.out;
}

// libstdc++ and libgcc are linked in: the program needs only the C library and the loader.
TEST(InterfaceExports, NeedsOnlyTheCLibraryAndTheLoader)
{
    ProcessResult result = testsupport::RunProcess({"readelf", "-d", testsupport::kLauncherPath});
    ASSERT_EQ(result.status, 0) << result.err;
    std::set<std::string> needed;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        size_t open = line.find("Shared library: [");
        if (line.find("(NEEDED)") != std::string::npos && open != std::string::npos) {
            size_t start = open + std::string("Shared library: [").size();
            needed.insert(line.substr(start, line.find(']', start) - start));
        }
    }
    for (const std::string& library : needed) {
        bool allowed = library == "libc.so.6" || library == "libdl.so.2" || library.rfind("ld-linux", 0) == 0;
        EXPECT_TRUE(allowed) << library << " in\n" << result.out;
    }
    EXPECT_EQ(needed.count("libc.so.6"), 1u) << result.out;
}

}  // namespace
