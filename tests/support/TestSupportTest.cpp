// The shared test helpers, checked against real shells, files and signals: every other test
// trusts what they report.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::ProcessOptions;
using testsupport::ProcessResult;
using testsupport::RunProcess;
using testsupport::TempDir;

ProcessResult RunShell(const std::string& script, const ProcessOptions& options = {}) {
    return RunProcess({"/bin/sh", "-c", script}, options);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

TEST(RunProcessTest, CollectsLargeOutputOnBothStreamsWithoutBlocking) {
    // Far beyond a pipe's buffer, written to both streams interleaved.
    const std::string line = "a line of some length to fill the pipes quickly";
    ProcessResult result = RunShell("i=0; while [ $i -lt 2000 ]; do echo '" + line + "'; echo '" + line +
                                    "' >&2; i=$((i+1)); done");

    EXPECT_EQ(result.status, 0);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.out.size(), 2000 * (line.size() + 1));
    EXPECT_EQ(result.err, result.out);
}

TEST(RunProcessTest, FeedsStandardInputEvenWhenTheChildDoesNotReadIt) {
    ProcessOptions options;
    options.stdinText = std::string(1 << 20, 'x');

    ProcessResult read = RunProcess({"wc", "-c"}, options);
    ProcessResult ignored = RunShell("echo done", options);

    EXPECT_EQ(read.out, "1048576\n");
    EXPECT_EQ(ignored.out, "done\n");
}

TEST(RunProcessTest, StandardInputIsEmptyByDefault) {
    EXPECT_EQ(RunProcess({"wc", "-c"}).out, "0\n");
}

struct StatusCase {
    const char* name;
    const char* script;
    int status;
    int signal;
};

const StatusCase kStatusCases[] = {
    {"Success", "exit 0", 0, 0},
    {"Failure", "exit 7", 7, 0},
    {"Terminated", "kill -TERM $$", -1, SIGTERM},
    {"Interrupted", "kill -INT $$", -1, SIGINT},
};

class RunProcessStatusTest : public testing::TestWithParam<StatusCase> {};

TEST_P(RunProcessStatusTest, ReportsExitStatusOrSignal) {
    ProcessResult result = RunShell(GetParam().script);

    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_EQ(result.signal, GetParam().signal);
    EXPECT_FALSE(result.timedOut);
}

INSTANTIATE_TEST_SUITE_P(Cases, RunProcessStatusTest, testing::ValuesIn(kStatusCases),
                         [](const testing::TestParamInfo<StatusCase>& info) { return info.param.name; });

TEST(RunProcessTest, KillsAChildThatOutlivesItsTimeout) {
    ProcessOptions options;
    options.timeoutSeconds = 1;

    ProcessResult result = RunShell("echo started; exec sleep 600", options);

    EXPECT_TRUE(result.timedOut);
    EXPECT_EQ(result.signal, SIGKILL);
    EXPECT_EQ(result.status, -1);
    EXPECT_EQ(result.out, "started\n");
}

TEST(RunProcessTest, KillsAChildThatClosedItsOutputAndRuns) {
    ProcessOptions options;
    options.timeoutSeconds = 1;

    ProcessResult result = RunShell("exec sleep 600 >&- 2>&-", options);

    EXPECT_TRUE(result.timedOut);
    EXPECT_EQ(result.signal, SIGKILL);
}

TEST(RunProcessTest, SetsUnsetsAndClearsTheEnvironment) {
    ProcessOptions changed;
    changed.setEnv = {"PACK_TEST_SET=new value", "HOME=/elsewhere"};
    changed.unsetEnv = {"PATH"};
    ProcessOptions cleared;
    cleared.clearEnv = true;
    cleared.setEnv = {"ONLY=this"};

    ProcessResult changedResult = RunProcess({"/usr/bin/env"}, changed);
    ProcessResult clearedResult = RunProcess({"/usr/bin/env"}, cleared);

    const std::string lines = "\n" + changedResult.out;
    EXPECT_NE(lines.find("\nPACK_TEST_SET=new value\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("\nHOME=/elsewhere\n"), std::string::npos);
    EXPECT_EQ(lines.find("\nHOME="), lines.rfind("\nHOME=")) << "HOME set twice";
    EXPECT_EQ(lines.find("\nPATH="), std::string::npos);
    EXPECT_EQ(clearedResult.out, "ONLY=this\n");
}

TEST(RunProcessTest, RunsInTheGivenDirectory) {
    TempDir dir;
    ProcessOptions options;
    options.cwd = dir.Path();

    ProcessResult result = RunProcess({"/bin/pwd", "-P"}, options);

    char resolved[4096];
    ASSERT_NE(realpath(dir.Path().c_str(), resolved), nullptr);
    EXPECT_EQ(result.out, std::string(resolved) + "\n");
}

TEST(RunProcessTest, AProgramThatCannotStartExitsWith127) {
    ProcessResult result = RunProcess({"/nonexistent/program"});

    EXPECT_EQ(result.status, 127);
    EXPECT_NE(result.err.find("exec failed"), std::string::npos);
}

TEST(StartProcessTest, DeliversASignalToTheRunningChild) {
    testsupport::RunningProcess process = testsupport::StartProcess(
        {"/bin/sh", "-c", "trap 'echo caught; exit 3' TERM; echo ready; while :; do sleep 1; done"});
    ASSERT_GT(process.pid, 0);
    // Wait until the trap is set: the script says so before it loops.
    char ready[6] = {};
    ASSERT_EQ(read(process.outFd, ready, sizeof ready), 6);
    ASSERT_EQ(std::string(ready, 6), "ready\n");

    kill(process.pid, SIGTERM);
    ProcessResult result = testsupport::WaitProcess(process);

    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.out, "caught\n");
}

TEST(FilesTest, WriteFileMakesParentsSetsModeAndReadFileReturnsTheBytes) {
    TempDir dir;
    const std::string bytes("with\0nul and \xFF", 14);

    testsupport::WriteFile(dir / "a/b/c.bin", bytes, 0500);

    struct stat info {};
    ASSERT_EQ(stat((dir / "a/b/c.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0500u);
    EXPECT_EQ(testsupport::ReadFile(dir / "a/b/c.bin"), bytes);
    EXPECT_EQ(testsupport::ReadFile(dir / "missing"), "");
}

TEST(TempDirTest, RemovesItsTreeEvenWhereTestsTookPermissionsAway) {
    std::string path;
    {
        TempDir dir;
        path = dir.Path();
        testsupport::WriteFile(dir / "locked/inner/file", "x", 0000);
        testsupport::MakeDirectories(dir / "locked/empty");
        ASSERT_EQ(symlink("/", (dir / "link-to-root").c_str()), 0);
        chmod((dir / "locked/inner").c_str(), 0000);
        chmod((dir / "locked").c_str(), 0500);
        ASSERT_TRUE(Exists(dir / "locked"));
    }
    EXPECT_FALSE(Exists(path));
}

TEST(TempDirTest, EachDirectoryIsNew) {
    TempDir first;
    TempDir second;

    EXPECT_NE(first.Path(), second.Path());
    EXPECT_TRUE(Exists(first.Path()));
    EXPECT_EQ(first / "x", first.Path() + "/x");
}

}  // namespace
