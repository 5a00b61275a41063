// The JVM host against the real JVM of this build's processor. One JVM per process, so every
// case runs jvm_host_driver (see JvmHostDriver.cpp) and asserts what it and Java printed.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using testsupport::ProcessOptions;
using testsupport::ProcessResult;

const char* const kDriver = JVM_HOST_DRIVER_PATH;
const char* const kJar = JVM_TEST_JAR_PATH;

// The driver with the test classes on the class path, then the scenario.
std::vector<std::string> DriverCommand(const std::vector<std::string>& scenario)
{
    std::vector<std::string> command = {kDriver, testsupport::kTestLibJvm,
                                        std::string("--option=-Djava.class.path=") + kJar};
    command.insert(command.end(), scenario.begin(), scenario.end());
    return command;
}

ProcessOptions Utf8Locale()
{
    ProcessOptions options;
    options.setEnv = {"LC_ALL=C.UTF-8"};
    return options;
}

ProcessResult RunDriver(const std::vector<std::string>& scenario, const ProcessOptions& options = Utf8Locale())
{
    return testsupport::RunProcess(DriverCommand(scenario), options);
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// ---- loading and creating the JVM

TEST(JvmLoad, OptionsReachTheJvmInOrder)
{
    ProcessResult r = RunDriver({"--option=-Dp.order=first", "--option=", "--option=-Dp.order=second",
                                 "--main=jvmtest.ShowProperties"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "load=0\noptions=0\np.order=second\nrun=0\nunloaded\n");
}

struct LoadFailureCase {
    const char* name;
    std::vector<std::string> command;  // after the driver's path
    int status;
    std::string err;                   // exact, or "*" when the JVM's own text is not asserted
    int optionsLeft;
};

const LoadFailureCase kLoadFailures[] = {
    {"LibraryCannotBeLoaded", {"/nonexistent-dir/libjvm.so", "--option=-Dp.x=1"}, 2,
     "/nonexistent-dir/libjvm.so: cannot open shared object file: No such file or directory\n", 1},
    {"NoCreateEntryPoint", {"libc.so.6", "--option=-Dp.x=1"}, 2, "", 1},
    // ignoreUnrecognized covers only -X options; this one is refused by the JVM.
    {"JvmRefusesOption", {testsupport::kTestLibJvm, "--option=-Djava.endorsed.dirs=/x"}, 4, "*", 0},
};

void PrintTo(const LoadFailureCase& c, std::ostream* out)
{
    *out << c.name;
}

class JvmLoadFailureTest : public testing::TestWithParam<LoadFailureCase> {};

TEST_P(JvmLoadFailureTest, GivesItsResult)
{
    const LoadFailureCase& c = GetParam();
    std::vector<std::string> command = {kDriver};
    command.insert(command.end(), c.command.begin(), c.command.end());
    ProcessResult r = testsupport::RunProcess(command);

    EXPECT_EQ(r.status, c.status) << r.err;
    // The JVM may explain a refused option on standard output first.
    std::string shown = "load=" + std::to_string(c.status) + "\noptions=" + std::to_string(c.optionsLeft) +
                        "\nunloaded\n";
    EXPECT_TRUE(EndsWith(r.out, shown)) << r.out;
    if (c.err != "*") {
        EXPECT_EQ(r.err, c.err);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, JvmLoadFailureTest, testing::ValuesIn(kLoadFailures),
                         [](const testing::TestParamInfo<LoadFailureCase>& info) { return info.param.name; });

// ---- the main class

class MainClassNameTest : public testing::TestWithParam<const char*> {};

TEST_P(MainClassNameTest, EitherSeparatorFindsTheClass)
{
    ProcessResult r = RunDriver({std::string("--main=") + GetParam()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "load=0\noptions=0\nargc=0\nrun=0\nunloaded\n");
}

INSTANTIATE_TEST_SUITE_P(Names, MainClassNameTest, testing::Values("jvmtest.ShowArgs", "jvmtest/ShowArgs"));

TEST(MainClass, MissingClassGives7WithTheJvmsDescription)
{
    ProcessResult r = RunDriver({"--main=jvmtest.Missing"});
    EXPECT_EQ(r.status, 7);
    EXPECT_EQ(r.out, "load=0\noptions=0\nrun=7\nunloaded\n");
    EXPECT_TRUE(Contains(r.err, "java.lang.NoClassDefFoundError: jvmtest/Missing")) << r.err;
}

class UnsuitableMainTest : public testing::TestWithParam<const char*> {};

TEST_P(UnsuitableMainTest, Gives8WithTheJvmsDescription)
{
    ProcessResult r = RunDriver({std::string("--main=jvmtest.") + GetParam()});
    EXPECT_EQ(r.status, 8);
    EXPECT_EQ(r.out, "load=0\noptions=0\nrun=8\nunloaded\n");
    EXPECT_TRUE(Contains(r.err, "java.lang.NoSuchMethodError")) << r.err;
    EXPECT_TRUE(Contains(r.err, std::string("jvmtest/") + GetParam())) << r.err;
}

// No main at all, an instance main, a main(String).
INSTANTIATE_TEST_SUITE_P(Classes, UnsuitableMainTest, testing::Values("NoMain", "InstanceMain", "OtherMain"));

TEST(MainClass, ExceptionOutOfMainIsDescribedAndEndsWith1)
{
    ProcessResult r = RunDriver({"--main=jvmtest.Throws"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "load=0\noptions=0\nrun=-1\nunloaded\n");
    EXPECT_TRUE(Contains(r.err, "Exception in thread \"main\" java.lang.IllegalStateException: boom from main\n"
                                "\tat jvmtest.Throws.main(Throws.java:"))
        << r.err;
}

TEST(MainClass, SystemExitEndsTheProcessWithItsStatus)
{
    ProcessResult r = RunDriver({"--main=jvmtest.Exit42"});
    EXPECT_EQ(r.status, 42) << r.err;
    EXPECT_EQ(r.out, "load=0\noptions=0\n");
}

TEST(MainClass, ProcessWaitsForNonDaemonThreadThatOutlivesMain)
{
    // The thread ends only after the main thread has detached, inside UnloadJavaVM.
    ProcessResult r = RunDriver({"--main=jvmtest.Outlives"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "load=0\noptions=0\nmain returns\nrun=0\nthread done\nunloaded\n");
}

TEST(MainClass, JvmOutOfMemoryForTheArgumentsEndsWith1)
{
    // HeapHog fills the heap while it initialises; main would free it and print "main ran".
    std::string big(60000, 'x');
    ProcessResult r = RunDriver({"--option=-Xmx16m", "--option=-XX:+UseSerialGC", "--main=jvmtest.HeapHog",
                                 "--", "a", big});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "load=0\noptions=0\nrun=-1\nunloaded\n");
    EXPECT_TRUE(Contains(r.err, "Exception in thread \"main\"")) << r.err;
}

// ---- the argument array

struct ArgumentCase {
    const char* name;
    std::vector<std::string> argvValues;
    std::vector<std::string> commandLine;
    std::string shown;  // what ShowArgs prints: the count, then each argument escaped
};

const ArgumentCase kArgumentCases[] = {
    {"Empty", {}, {}, "argc=0\n"},
    {"SettingValuesThenCommandLine", {"1 2", "3"}, {"4", "5"}, "argc=5\narg:1\narg:2\narg:3\narg:4\narg:5\n"},
    {"SplitValuesAndEmptyArgument", {"a \"b c\"", "  "}, {"", "d"}, "argc=4\narg:a\narg:b\\u{20}c\narg:\narg:d\n"},
    {"NonAsciiInUtf8Locale", {"\xc3\xa9"}, {"\xc3\xa4\xc3\xb6\xe2\x82\xac"},
     "argc=2\narg:\\u{e9}\narg:\\u{e4}\\u{f6}\\u{20ac}\n"},
    {"AboveU+FFFF", {}, {"\xf0\x9f\x98\x80x"}, "argc=1\narg:\\u{1f600}x\n"},
    {"InvalidBytesBecomeReplacementCharacters", {"v\xff"}, {"a\xff" "b", "next"},
     "argc=3\narg:v\\u{fffd}\narg:a\\u{fffd}b\narg:next\n"},
};

void PrintTo(const ArgumentCase& c, std::ostream* out)
{
    *out << c.name;
}

class ArgumentArrayTest : public testing::TestWithParam<ArgumentCase> {};

TEST_P(ArgumentArrayTest, JavaReceives)
{
    const ArgumentCase& c = GetParam();
    std::vector<std::string> scenario = {"--main=jvmtest.ShowArgs"};
    for (const std::string& value : c.argvValues)
        scenario.push_back("--argv=" + value);
    scenario.push_back("--");
    scenario.insert(scenario.end(), c.commandLine.begin(), c.commandLine.end());
    ProcessResult r = RunDriver(scenario);

    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "load=0\noptions=0\n" + c.shown + "run=0\nunloaded\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, ArgumentArrayTest, testing::ValuesIn(kArgumentCases),
                         [](const testing::TestParamInfo<ArgumentCase>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// ---- properties and version

// JAVA_VERSION from the runtime's release file.
TEST(Properties, SetFromTextAndVersionReadBack)
{
    ProcessResult r = RunDriver({"--property=p.a=b=c", "--property=p.flag", "--property=p.a = b", "--property==x",
                                 "--property=p.after=ok", "--property=p.\xc3\xa4=\xc3\xb6\xe2\x82\xac",
                                 "--property=p.emoji=\xf0\x9f\x98\x80", "--version", "--main=jvmtest.ShowProperties"});
    std::string version = testsupport::TestJavaVersion();
    ASSERT_FALSE(version.empty());

    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "load=0\noptions=0\nversion=" + version +
                         "\n"
                         "p.a=b=c\n"
                         "p.a\\u{20}=\\u{20}b\n"
                         "p.after=ok\n"
                         "p.emoji=\\u{1f600}\n"
                         "p.flag=\n"
                         "p.\\u{e4}=\\u{f6}\\u{20ac}\n"
                         "run=0\nunloaded\n");
}

// ---- SIGINT and SIGTERM

[[nodiscard]] bool WaitForFile(const std::string& path)
{
    struct stat info;
    for (int i = 0; i < 6000; ++i) {
        if (stat(path.c_str(), &info) == 0)
            return true;
        usleep(10000);
    }
    return false;
}

// Starts Sleeper with the handlers installed, signals it once it is ready, after delayMicros.
ProcessResult InterruptSleeper(int signal, int allocators, int delayMicros)
{
    testsupport::TempDir dir;
    std::string ready = dir / "ready";
    testsupport::RunningProcess process = testsupport::StartProcess(
        DriverCommand({"--signals", "--main=jvmtest.Sleeper", "--", ready, std::to_string(allocators)}));
    if (WaitForFile(ready)) {
        usleep(static_cast<useconds_t>(delayMicros));
        kill(process.pid, signal);
    } else {
        ADD_FAILURE() << "Sleeper did not start";
    }
    return testsupport::WaitProcess(process, 60);
}

class TerminateSignalTest : public testing::TestWithParam<int> {};

TEST_P(TerminateSignalTest, EndsThroughSystemExitWithHooks)
{
    if (testsupport::RunsUnderEmulation())
        GTEST_SKIP() << "qemu's user-mode emulation crashes the JVM when a signal ends it; runs on a native kernel";
    ProcessResult r = InterruptSleeper(GetParam(), 0, 0);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "load=0\noptions=0\nhook ran\n");
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminateSignalTest, testing::Values(SIGINT, SIGTERM),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param == SIGINT ? std::string("Interrupt") : std::string("Terminate");
                         });

TEST(TerminateSignal, UnloadRestoresThePreviousDisposition)
{
    ProcessResult r = RunDriver({"--signals", "--main=jvmtest.ShowArgs"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "load=0\noptions=0\nargc=0\nrun=0\nunloaded\nsigint=restored\n");
}

TEST(TerminateSignal, StressWhileThreadsAllocateNeverHangs)
{
    if (testsupport::RunsUnderEmulation())
        GTEST_SKIP() << "qemu's user-mode emulation crashes the JVM when a signal ends it; runs on a native kernel";
    unsigned seed = 20240611;
    for (int run = 0; run < 20; ++run) {
        int signal = run % 2 == 0 ? SIGINT : SIGTERM;
        ProcessResult r = InterruptSleeper(signal, 4, static_cast<int>(rand_r(&seed) % 50000));
        ASSERT_FALSE(r.timedOut) << "run " << run << " hung";
        ASSERT_EQ(r.status, 0) << "run " << run << ": " << r.err;
        ASSERT_EQ(r.out, "load=0\noptions=0\nhook ran\n") << "run " << run;
    }
}

}  // namespace
