// The host's paths that create no JVM, and the signal watcher without one: the handler wakes
// the watcher, which finds no JVM and chains the disposition saved at installation.
#include "jvm/JavaHost.h"
#include "jvm/JavaServices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <ostream>
#include <string>
#include <unistd.h>

namespace {

TEST(JavaHost, UnloadWithoutLoadDoesNothing)
{
    CJavaHost host;
    host.UnloadJavaVM();
    host.UnloadJavaVM();
    EXPECT_EQ(host.m_pLibrary, nullptr);
    EXPECT_EQ(host.m_pJvm, nullptr);
}

TEST(JavaHost, AddOptionKeepsBytesAndOrder)
{
    CJavaHost host;
    host.AddOption("-Dp.a= x ");
    host.AddOption("");
    host.AddOption("-D\xc3\xa4=\xff");
    ASSERT_EQ(host.m_Options.GetSize(), 3);
    EXPECT_STREQ(host.m_Options.GetAt(0), "-Dp.a= x ");
    EXPECT_STREQ(host.m_Options.GetAt(1), "");
    EXPECT_STREQ(host.m_Options.GetAt(2), "-D\xc3\xa4=\xff");
}

TEST(JavaHost, UnloadableLibraryPrintsTheLoaderLine)
{
    CJavaHost host;
    host.AddOption("-Dp.kept=1");
    testing::internal::CaptureStderr();
    int result = host.LoadJavaVM("/nonexistent-dir/libjvm.so");
    std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(result, kHostLibraryInvalid);
    EXPECT_EQ(err, "/nonexistent-dir/libjvm.so: cannot open shared object file: No such file or directory\n");
    EXPECT_EQ(host.m_pLibrary, nullptr);
    EXPECT_EQ(host.m_Options.GetSize(), 1);
    host.UnloadJavaVM();
}

TEST(JavaHost, LibraryWithoutEntryPointIsInvalidAndClosedOnUnload)
{
    CJavaHost host;
    testing::internal::CaptureStderr();
    int result = host.LoadJavaVM("libc.so.6");
    std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(result, kHostLibraryInvalid);
    EXPECT_EQ(err, "");
    EXPECT_NE(host.m_pLibrary, nullptr);
    EXPECT_EQ(host.m_pJvm, nullptr);
    host.UnloadJavaVM();
    EXPECT_EQ(host.m_pLibrary, nullptr);
}

std::atomic<int> chainedSignal{0};

void RecordSignal(int signal)
{
    chainedSignal.store(signal);
}

void RecordSignalInfo(int signal, siginfo_t* info, void*)
{
    chainedSignal.store(info && info->si_signo == signal ? signal : -signal);
}

[[nodiscard]] bool WaitForChainedSignal()
{
    for (int i = 0; i < 2000 && chainedSignal.load() == 0; ++i)
        usleep(5000);
    return chainedSignal.load() != 0;
}

struct ChainCase {
    const char* name;
    int signal;
    bool siginfo;
};

void PrintTo(const ChainCase& c, std::ostream* out)
{
    *out << c.name;
}

class SignalChainTest : public testing::TestWithParam<ChainCase> {};

TEST_P(SignalChainTest, WithoutJvmThePreviousHandlerRunsAndIsRestored)
{
    const ChainCase& c = GetParam();
    struct sigaction previous;
    memset(&previous, 0, sizeof(previous));
    sigemptyset(&previous.sa_mask);
    if (c.siginfo) {
        previous.sa_sigaction = RecordSignalInfo;
        previous.sa_flags = SA_SIGINFO;
    } else {
        previous.sa_handler = RecordSignal;
    }
    struct sigaction original;
    ASSERT_EQ(sigaction(c.signal, &previous, &original), 0);
    chainedSignal.store(0);

    InstallSignalHandlers();
    struct sigaction installed;
    sigaction(c.signal, nullptr, &installed);
    EXPECT_EQ(installed.sa_handler, OnTerminateSignal);
    raise(c.signal);
    ASSERT_TRUE(WaitForChainedSignal());
    EXPECT_EQ(chainedSignal.load(), c.signal);

    RestoreSignalHandlers();
    RestoreSignalHandlers();
    struct sigaction restored;
    sigaction(c.signal, nullptr, &restored);
    if (c.siginfo)
        EXPECT_EQ(restored.sa_sigaction, RecordSignalInfo);
    else
        EXPECT_EQ(restored.sa_handler, RecordSignal);
    sigaction(c.signal, &original, nullptr);
}

const ChainCase kChainCases[] = {
    {"Interrupt", SIGINT, false},
    {"Terminate", SIGTERM, false},
    {"TerminateWithSiginfo", SIGTERM, true},
};

INSTANTIATE_TEST_SUITE_P(Handlers, SignalChainTest, testing::ValuesIn(kChainCases),
                         [](const testing::TestParamInfo<ChainCase>& info) { return info.param.name; });

class NonFunctionDispositionTest : public testing::TestWithParam<int> {};

// SIG_DFL and SIG_IGN are not functions: calling them would crash, and SIG_DFL must not end
// the process either.
TEST_P(NonFunctionDispositionTest, IsNotCalled)
{
    struct sigaction previous;
    memset(&previous, 0, sizeof(previous));
    previous.sa_handler = GetParam() == 0 ? SIG_DFL : SIG_IGN;
    struct sigaction original;
    ASSERT_EQ(sigaction(SIGTERM, &previous, &original), 0);

    InstallSignalHandlers();
    raise(SIGTERM);
    // The watcher handles the pending signal before it stops.
    RestoreSignalHandlers();
    struct sigaction restored;
    sigaction(SIGTERM, nullptr, &restored);
    EXPECT_EQ(restored.sa_handler, previous.sa_handler);
    sigaction(SIGTERM, &original, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Dispositions, NonFunctionDispositionTest, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param == 0 ? std::string("Default") : std::string("Ignore");
                         });

}  // namespace
