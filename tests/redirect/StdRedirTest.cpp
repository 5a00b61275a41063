// CStdRedir on the test process's own descriptors 1 and 2. The fixture points them at capture
// files first, so a test can tell what reached the streams as they were before a redirection,
// and puts the test runner's streams back afterwards.
#include "redirect/StdRedir.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>
#include <thread>

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

void WriteTo(int fd, const std::string& text)
{
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

// The file's content once it equals expected, or what it holds after ten seconds.
std::string WaitForContent(const std::string& path, const std::string& expected)
{
    std::string content;
    for (int i = 0; i < 1000; ++i) {
        content = ReadFile(path);
        if (content == expected)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return content;
}

bool SameFile(int fd, const std::string& path)
{
    struct stat open = {};
    struct stat named = {};
    return fstat(fd, &open) == 0 && stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

class StdRedirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fflush(stdout);
        fflush(stderr);
        m_savedOut = fcntl(1, F_DUPFD_CLOEXEC, 0);
        m_savedErr = fcntl(2, F_DUPFD_CLOEXEC, 0);
        m_savedCwd = getcwd(nullptr, 0);
        WriteFile(m_dir / "before1.txt", "");
        WriteFile(m_dir / "before2.txt", "");
        PointAt(1, m_dir / "before1.txt");
        PointAt(2, m_dir / "before2.txt");
        ASSERT_EQ(chdir(m_dir.Path().c_str()), 0);
    }

    void TearDown() override
    {
        fflush(stdout);
        fflush(stderr);
        dup2(m_savedOut, 1);
        dup2(m_savedErr, 2);
        close(m_savedOut);
        close(m_savedErr);
        if (chdir(m_savedCwd) != 0)
            ADD_FAILURE() << "cannot return to " << m_savedCwd;
        free(m_savedCwd);
        // Failure texts written while the streams were captured.
        if (HasFailure())
            fprintf(stderr, "captured stdout:\n%s\ncaptured stderr:\n%s\n", ReadFile(m_dir / "before1.txt").c_str(),
                    ReadFile(m_dir / "before2.txt").c_str());
    }

    static void PointAt(int stream, const std::string& path)
    {
        int fd = open(path.c_str(), O_WRONLY | O_APPEND);
        ASSERT_NE(fd, -1);
        dup2(fd, stream);
        close(fd);
    }

    TempDir m_dir;
    int m_savedOut = -1;
    int m_savedErr = -1;
    char* m_savedCwd = nullptr;
};

TEST_F(StdRedirTest, SameValueSharesOneOpenFile)
{
    std::string log = m_dir / "both.log";
    {
        CStdRedir redir;
        redir.RedirectStderr(log.c_str());
        redir.RedirectStdout(log.c_str());
        EXPECT_EQ(redir.m_bufTargets.GetLength(), 1);
        EXPECT_TRUE(SameFile(1, log));
        EXPECT_TRUE(SameFile(2, log));
        WriteTo(1, "out 1\n");
        WriteTo(2, "err 2\n");
        WriteTo(1, "out 3\n");
        // One open file has one offset: the write through 1 moved the offset seen through 2.
        EXPECT_EQ(lseek(2, 0, SEEK_CUR), 18);
    }
    EXPECT_EQ(ReadFile(log), "out 1\nerr 2\nout 3\n");
}

TEST_F(StdRedirTest, AppendsToAnExistingFile)
{
    WriteFile(m_dir / "out.log", "earlier run\n");
    {
        CStdRedir redir;
        redir.RedirectStdout("out.log");
        WriteTo(1, "this run\n");
    }
    EXPECT_EQ(ReadFile(m_dir / "out.log"), "earlier run\nthis run\n");
}

TEST_F(StdRedirTest, CreatesAMissingFileWithMode0664UnderTheUmask)
{
    mode_t mask = umask(0);
    umask(mask);
    {
        CStdRedir redir;
        redir.RedirectStderr("new.log");
        WriteTo(2, "created\n");
    }
    struct stat info = {};
    ASSERT_EQ(stat((m_dir / "new.log").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0664 & ~mask);
    EXPECT_EQ(ReadFile(m_dir / "new.log"), "created\n");
}

TEST_F(StdRedirTest, MissingDirectoryLeavesTheStreamAloneAndIsNotRetried)
{
    std::string value = m_dir / "missing/out.log";
    CStdRedir redir;
    redir.RedirectStdout(value.c_str());
    EXPECT_EQ(redir.m_nSavedStdout, -1);
    EXPECT_TRUE(SameFile(1, m_dir / "before1.txt"));

    // The failed target is remembered: the same value is not opened again.
    testsupport::MakeDirectories(m_dir / "missing");
    redir.RedirectStdout(value.c_str());
    EXPECT_EQ(redir.m_bufTargets.GetLength(), 1);
    EXPECT_EQ(access(value.c_str(), F_OK), -1);

    WriteTo(1, "still here\n");
    EXPECT_EQ(ReadFile(m_dir / "before1.txt"), "still here\n");
    EXPECT_EQ(ReadFile(m_dir / "before2.txt"), "");
}

TEST_F(StdRedirTest, SecondRedirectionOfAStreamKeepsTheFirstTarget)
{
    {
        CStdRedir redir;
        redir.RedirectStdout("first.log");
        redir.RedirectStdout("second.log");
        WriteTo(1, "to the first\n");
    }
    EXPECT_EQ(ReadFile(m_dir / "first.log"), "to the first\n");
    EXPECT_EQ(ReadFile(m_dir / "second.log"), "");
}

TEST_F(StdRedirTest, CommandReceivesTheStream)
{
    std::string received = m_dir / "received.txt";
    std::string command = "|cat > '" + received + "'";
    {
        CStdRedir redir;
        redir.RedirectStdout(command.c_str());
        ASSERT_NE(redir.m_nSavedStdout, -1);
        WriteTo(1, "through the pipe\n");
    }
    // Nothing waits for the command: it finishes once the restored streams released the pipe.
    EXPECT_EQ(WaitForContent(received, "through the pipe\n"), "through the pipe\n");
}

TEST_F(StdRedirTest, DestructorRestoresBothStreams)
{
    {
        CStdRedir redir;
        redir.RedirectStderr("err.log");
        redir.RedirectStdout("out.log");
        WriteTo(1, "redirected out\n");
        WriteTo(2, "redirected err\n");
    }
    WriteTo(1, "restored out\n");
    WriteTo(2, "restored err\n");
    EXPECT_EQ(ReadFile(m_dir / "out.log"), "redirected out\n");
    EXPECT_EQ(ReadFile(m_dir / "err.log"), "redirected err\n");
    EXPECT_EQ(ReadFile(m_dir / "before1.txt"), "restored out\n");
    EXPECT_EQ(ReadFile(m_dir / "before2.txt"), "restored err\n");
}

TEST_F(StdRedirTest, BufferedOutputReachesTheTargetItWasWrittenFor)
{
    fputs("before, ", stdout);
    {
        CStdRedir redir;
        redir.RedirectStdout("out.log");
        fputs("buffered without a newline", stdout);
    }
    fflush(stdout);
    EXPECT_EQ(ReadFile(m_dir / "out.log"), "buffered without a newline");
    EXPECT_EQ(ReadFile(m_dir / "before1.txt"), "before, ");
}

TEST_F(StdRedirTest, KeptDescriptorsAreNotInheritedByCommands)
{
    CStdRedir redir;
    redir.RedirectStdout("out.log");
    ASSERT_NE(redir.m_nSavedStdout, -1);
    EXPECT_NE(fcntl(redir.m_nSavedStdout, F_GETFD) & FD_CLOEXEC, 0);
    EXPECT_NE(fcntl(redir.GetTarget("out.log")->m_nDescriptor, F_GETFD) & FD_CLOEXEC, 0);
    EXPECT_EQ(fcntl(1, F_GETFD) & FD_CLOEXEC, 0);
}

// Targets are shared by the exact value: any difference in spelling opens the file again.
struct TargetCase {
    const char* label;
    const char* first;
    const char* second;
    bool shared;
};

void PrintTo(const TargetCase& c, std::ostream* os)
{
    *os << c.label;
}

class StdRedirTargetTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(StdRedirTargetTest, SharesTargetsByExactValue)
{
    TempDir dir;
    const TargetCase& c = GetParam();
    std::string first = dir / c.first;
    std::string second = dir / c.second;
    CStdRedir redir;
    CStdRedir::CStdRedirTarget* a = redir.GetTarget(first.c_str());
    CStdRedir::CStdRedirTarget* b = redir.GetTarget(second.c_str());
    ASSERT_NE(a->m_nDescriptor, -1);
    ASSERT_NE(b->m_nDescriptor, -1);
    EXPECT_EQ(a == b, c.shared);
    EXPECT_EQ(redir.m_bufTargets.GetLength(), c.shared ? 1 : 2);
    EXPECT_EQ(a->m_strValue.c_str(), first);
}

const TargetCase kTargetCases[] = {
    {"SameSpelling", "out.log", "out.log", true},
    {"DotSlash", "out.log", "./out.log", false},
    {"LetterCase", "out.log", "Out.log", false},
    {"TrailingBlank", "out.log", "out.log ", false},
};
INSTANTIATE_TEST_SUITE_P(Values, StdRedirTargetTest, ::testing::ValuesIn(kTargetCases),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
