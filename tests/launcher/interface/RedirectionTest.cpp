// The stdout and stderr settings seen from a generated executable: the launcher's own message
// lines and the Java application's System.out and System.err reach the configured targets.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using testsupport::ProcessResult;
using testsupport::TempDir;

namespace {

const char kEchoSource[] = R"java(
public class Echo {
    public static void main(String[] args) {
        System.out.println("out 1");
        System.out.flush();
        System.err.println("err 2");
        System.err.flush();
        System.out.println("out 3");
        System.out.flush();
    }
}
)java";

// The file's content once it equals expected, or what it holds after ten seconds: a command
// target may still be writing when the launcher has ended.
std::string WaitForContent(const std::string& path, const std::string& expected)
{
    std::string content;
    for (int i = 0; i < 1000 && (content = testsupport::ReadFile(path)) != expected; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return content;
}

struct RedirectionCase {
    const char* label;
    const char* settings;  // redirection lines; relative paths are in the working directory
    int status;
    const char* stdoutText;  // what still reaches the caller's standard output
    const char* stderrText;  // and its standard error
    std::vector<std::pair<const char*, const char*>> files;  // target file and its content
};

void PrintTo(const RedirectionCase& c, std::ostream* os)
{
    *os << c.label;
}

class RedirectionTest : public ::testing::TestWithParam<RedirectionCase> {};

TEST_P(RedirectionTest, StreamsReachTheirTargets)
{
    const RedirectionCase& c = GetParam();
    TempDir dir;
    testsupport::MakeJar(dir / "echo.jar", {{"Echo.java", kEchoSource}});
    testsupport::PackRequest request;
    request.jar = dir / "echo.jar";
    request.settings = std::string("mainclass Echo\njvmdll ") + testsupport::kTestLibJvm + "\n" + c.settings;
    request.output = dir / "echo";
    testsupport::Pack(request);
    testsupport::ProcessOptions options;
    options.cwd = dir.Path();
    ProcessResult result = testsupport::RunProcess({dir / "echo"}, options);

    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out, c.stdoutText);
    EXPECT_EQ(result.err, c.stderrText);
    for (const auto& [file, content] : c.files)
        EXPECT_EQ(WaitForContent(dir / file, content), content) << file;
}

const RedirectionCase kRedirectionCases[] = {
    {"LauncherMessageToStderrTarget", "jre_order i\nstderr err.log\nstdout out.log\n", 1, "", "",
     {{"err.log", "Java Runtime Environment not found.\n"}, {"out.log", ""}}},
    {"SeparateTargets", "stdout out.log\nstderr err.log\n", 0, "", "", {{"out.log", "out 1\nout 3\n"}, {"err.log", "err 2\n"}}},
    {"OneSharedTarget", "stdout both.log\nstderr both.log\n", 0, "", "", {{"both.log", "out 1\nerr 2\nout 3\n"}}},
    {"StdoutThroughCommand", "stdout |cat > piped.log\n", 0, "", "err 2\n", {{"piped.log", "out 1\nout 3\n"}}},
    {"UnopenableTargetLeavesStreams", "stdout missing/out.log\n", 0, "out 1\nout 3\n", "err 2\n", {}},
};
INSTANTIATE_TEST_SUITE_P(Settings, RedirectionTest, ::testing::ValuesIn(kRedirectionCases),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
