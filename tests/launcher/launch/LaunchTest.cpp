// Generated executables of a probe application, run as a user would run them: what Java
// received, the message line on standard error and the exit status.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

using namespace testsupport;

namespace {

const char* const kProbeJar = LAUNCH_PROBE_JAR;
const char* const kFakeJvm = LAUNCH_FAKE_JVM;
const char* const kNoEntryLibrary = LAUNCH_NO_ENTRY_LIBRARY;

// Replaces every "{name}" in text by its value.
std::string Fill(std::string text, const std::vector<std::pair<std::string, std::string>>& values)
{
    for (const auto& [name, value] : values) {
        std::string marker = "{" + name + "}";
        for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size()))
            text.replace(at, marker.size(), value);
    }
    return text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::string LastLine(const std::string& text)
{
    std::vector<std::string> lines = Lines(text);
    return lines.empty() ? "" : lines.back();
}

// The lines of the probe's output that begin with prefix, in order.
std::vector<std::string> LinesWith(const std::string& text, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : Lines(text)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            found.push_back(line);
    }
    return found;
}

class LaunchTest : public ::testing::Test {
protected:
    // Packs the probe jar with the settings into dir/app; "{jvm}", "{dir}" and the other
    // markers of Fill are replaced first.
    std::string MakeApp(const std::string& settings, const std::string& jar = kProbeJar)
    {
        std::string app = dir / "app";
        PackRequest request;
        request.jar = jar;
        request.settings = Fill(settings, Markers());
        request.output = app;
        Pack(request);
        return app;
    }

    std::vector<std::pair<std::string, std::string>> Markers() const
    {
        return {{"jvm", kTestLibJvm}, {"fake", kFakeJvm}, {"noentry", kNoEntryLibrary},
                {"jar", kProbeJar},   {"home", kTestJavaHome}, {"dir", dir.Path()}};
    }

    TempDir dir;
};

// ---- Every result of a launch: status and the last line on standard error ----

struct ResultCase {
    const char* name;
    const char* settings;
    int status;
    const char* lastLine;  // "{version}" is the runtime's java.version
};

void PrintTo(const ResultCase& c, std::ostream* os) { *os << c.name; }

class LaunchResultTest : public LaunchTest, public ::testing::WithParamInterface<ResultCase> {};

TEST_P(LaunchResultTest, ExitsWithItsMessage)
{
    const ResultCase& c = GetParam();
    ProcessResult result = RunProcess({MakeApp(c.settings)});
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_EQ(LastLine(result.err), Fill(c.lastLine, {{"version", TestJavaVersion()}}));
    EXPECT_EQ(result.out, "");
}

const ResultCase kResultCases[] = {
    {"RuntimeNotFound", "mainclass probe.Probe\njre_order c\n", 1, "Java Runtime Environment not found."},
    {"LibraryNotLoadable", "mainclass probe.Probe\njvmdll {jar}\n", 2, "Java Runtime Environment not valid."},
    {"LibraryWithoutEntry", "mainclass probe.Probe\njvmdll {noentry}\n", 2, "Java Runtime Environment not valid."},
    // a malformed value is refused although unknown options are ignored
    {"CreationFails", "mainclass probe.Probe\njvmdll {jvm}\noption -XX:MaxHeapSize=abc\n", 4,
     "Java Virtual Machine starts failed."},
    {"VersionUnreadable", "mainclass probe.Probe\njvmdll {fake}\nminjre 1.6\n", 5, "Can not get the virtual machine version."},
    {"VersionTooLow", "mainclass probe.Probe\njvmdll {jvm}\nminjre 99\n", 6,
     "Java virtual machine version {version} is too low, require 99 or higher."},
    {"ClassMissing", "mainclass probe.NoSuchClass\njvmdll {jvm}\n", 7, "The main startup class could not be found."},
    {"MainClassEmpty", "jvmdll {jvm}\n", 7, "The main startup class could not be found."},
    {"MainMethodMissing", "mainclass probe.NoMain\njvmdll {jvm}\n", 8,
     "The main startup class is not valid, main method missing."},
    {"VersionTooHigh", "mainclass probe.Probe\njvmdll {jvm}\nmaxjre 1.8\n", 12, "12"},
    // Without bounds the version is never asked for: the JVM that cannot tell it gets as far
    // as the main class.
    {"NoBoundsNoVersionQuery", "mainclass probe.Probe\njvmdll {fake}\n", 7, "The main startup class could not be found."},
};

INSTANTIATE_TEST_SUITE_P(Results, LaunchResultTest, ::testing::ValuesIn(kResultCases),
                         [](const ::testing::TestParamInfo<ResultCase>& info) { return std::string(info.param.name); });

TEST_F(LaunchTest, LoaderErrorPrecedesTheMessage)
{
    ProcessResult result = RunProcess({MakeApp("mainclass probe.Probe\njvmdll {jar}\n")});
    std::vector<std::string> lines = Lines(result.err);
    ASSERT_EQ(lines.size(), 2u) << result.err;
    EXPECT_NE(lines[0].find(kProbeJar), std::string::npos) << lines[0];
}

TEST_F(LaunchTest, ExceptionOutOfMainGivesStatusOneWithoutMessage)
{
    ProcessResult result = RunProcess({MakeApp("mainclass probe.Thrower\njvmdll {jvm}\n")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "before the throw\n");
    EXPECT_NE(result.err.find("java.lang.IllegalStateException: boom from main"), std::string::npos) << result.err;
    EXPECT_EQ(LastLine(result.err).find("\tat probe.Thrower.main"), 0u) << result.err;
}

// ---- Version bounds that let the application run ----

struct AcceptedBoundsCase {
    const char* name;
    const char* bounds;
};

void PrintTo(const AcceptedBoundsCase& c, std::ostream* os) { *os << c.name; }

class AcceptedBoundsTest : public LaunchTest, public ::testing::WithParamInterface<AcceptedBoundsCase> {};

TEST_P(AcceptedBoundsTest, RunsTheApplication)
{
    ProcessResult result = RunProcess({MakeApp(std::string("mainclass probe.Probe\njvmdll {jvm}\n") + GetParam().bounds)});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(LinesWith(result.out, "argc="), std::vector<std::string>{"argc=0"});
}

INSTANTIATE_TEST_SUITE_P(Bounds, AcceptedBoundsTest,
                         ::testing::Values(AcceptedBoundsCase{"OldLowerBound", "minjre 1.6\n"},
                                           AcceptedBoundsCase{"HighUpperBound", "maxjre 99\n"},
                                           AcceptedBoundsCase{"SameMajor", "minjre 17\nmaxjre 17\n"},
                                           AcceptedBoundsCase{"SameMinor", "minjre 17.0\nmaxjre 17.0.99_1\n"},
                                           AcceptedBoundsCase{"BoundNotANumber", "minjre abc\nmaxjre x1\n"}),
                         [](const ::testing::TestParamInfo<AcceptedBoundsCase>& info) { return std::string(info.param.name); });

// ---- Message overrides, as the user sees them ----

struct MessageCase {
    const char* name;
    const char* external;  // app.cfg beside the executable, "" for none
    const char* settings;
    const char* err;       // the whole of standard error; "{version}" is java.version
};

void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

class MessageOverrideTest : public LaunchTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(MessageOverrideTest, PrintsTheOverride)
{
    const MessageCase& c = GetParam();
    std::string app = MakeApp(c.settings);
    if (*c.external)
        WriteFile(app + ".cfg", c.external);
    ProcessResult result = RunProcess({app});
    EXPECT_EQ(result.err, Fill(c.err, {{"version", TestJavaVersion()}}));
}

const MessageCase kMessageCases[] = {
    {"NoOverride", "", "jre_order c\n", "Java Runtime Environment not found.\n"},
    {"Override", "", "jre_order c\nmessage 1=Kein Java\n", "Kein Java\n"},
    {"FirstOverrideWins", "", "jre_order c\nmessage 1=Kein Java\nmessage 1=other\n", "Kein Java\n"},
    {"ExternalOverrideFirst", "message 1=from the cfg\n", "jre_order c\nmessage 1=embedded\n", "from the cfg\n"},
    {"BadNumbersSkipped", "", "jre_order c\nmessage 0=a\nmessage -1=b\nmessage abc=c\nmessage 4294967297=d\nmessage 01=right\n",
     "right\n"},
    {"Unescaped", "", "jre_order c\nmessage 1=one\\ntwo \\\\ end\\\n", "one\ntwo \\ end\n"},
    {"PercentPercent", "", "jre_order c\nmessage 1=100%% sure\n", "100% sure\n"},
    {"ExportedVariable", "", "jre_order c\nexport T_WHO=nobody\nmessage 1=%T_WHO% found $T_WHO\n", "nobody found nobody\n"},
    {"OtherMessagesUnformatted", "", "jre_order c\nmessage 1=%s %d\n", "%s %d\n"},
    {"TwelveFormatted", "", "jvmdll {jvm}\nmaxjre 1.8\nmessage 12=Java %s is newer than %s%s\n",
     "Java {version} is newer than 1.8\n"},
    // '%%' is one '%' after expansion, so a formatted text spells a percent sign '%%%%'
    {"SixWithFiveStrings", "", "jvmdll {jvm}\nminjre 99\nmessage 6=[%s][%s][%s][%s][%s] 100%%%%\n",
     "[{version}][99][][][] 100%\n"},
    // Texts that would read arguments that are not there are printed as they are.
    {"SixWithOtherConversion", "", "jvmdll {jvm}\nminjre 99\nmessage 6=%s %d %n\n", "%s %d %n\n"},
    {"SixWithSixStrings", "", "jvmdll {jvm}\nminjre 99\nmessage 6=%s%s%s%s%s%s\n", "%s%s%s%s%s%s\n"},
    {"TwelveWithTrailingPercent", "", "jvmdll {jvm}\nmaxjre 1.8\nmessage 12=%s 50%\n", "%s 50%\n"},
};

INSTANTIATE_TEST_SUITE_P(Messages, MessageOverrideTest, ::testing::ValuesIn(kMessageCases),
                         [](const ::testing::TestParamInfo<MessageCase>& info) { return std::string(info.param.name); });

// ---- What Java receives ----

// Runs a probe class with the settings (main class and JVM given) and returns its output:
// probe.Probe shows arguments, T_ variables and properties, probe.JvmArgs the JVM's options.
class ProbeTest : public LaunchTest {
protected:
    ProcessResult RunClass(const std::string& mainClass, const std::string& settings,
                           const std::vector<std::string>& args = {}, const ProcessOptions& options = {})
    {
        std::vector<std::string> argv{MakeApp("mainclass " + mainClass + "\njvmdll {jvm}\n" + settings)};
        argv.insert(argv.end(), args.begin(), args.end());
        ProcessResult result = RunProcess(argv, options);
        EXPECT_EQ(result.status, 0) << result.err;
        return result;
    }

    ProcessResult RunProbe(const std::string& settings, const std::vector<std::string>& args = {},
                           const ProcessOptions& options = {})
    {
        return RunClass("probe.Probe", settings, args, options);
    }
};

TEST_F(ProbeTest, ExportRules)
{
    ProcessOptions options;
    options.setEnv = {"T_OLD=old"};
    options.unsetEnv = {"T_NOEQ"};
    ProcessResult result = RunProbe("export T_SPACED=   value\n"
                                    "export T_TAB=\t\tv\n"
                                    "export T_NAME =v\n"
                                    "export T_NOEQ\n"
                                    "export T_TWICE=first\n"
                                    "export T_TWICE=second\n"
                                    "export T_OLD=$T_OLD:new\n"
                                    "export T_EMPTY=\n",
                                    {}, options);
    EXPECT_EQ(LinesWith(result.out, "env:"), (std::vector<std::string>{
                                                  "env:[T_EMPTY]=[]",
                                                  "env:[T_NAME ]=[v]",
                                                  "env:[T_OLD]=[old:new]",
                                                  "env:[T_SPACED]=[value]",
                                                  "env:[T_TAB]=[v]",
                                                  "env:[T_TWICE]=[second]",
                                              }));
}

TEST_F(ProbeTest, ExportedJavaHomeIsSearched)
{
    ProcessOptions options;
    options.unsetEnv = {"JAVA_HOME", "JRE_HOME"};
    std::string settings = Fill("mainclass probe.Probe\njre_order e\nexport JAVA_HOME={home}\n", Markers());
    ProcessResult found = RunProcess({MakeApp(settings)}, options);
    EXPECT_EQ(found.status, 0) << found.err;

    ProcessResult withoutExport = RunProcess({MakeApp("mainclass probe.Probe\njre_order e\n")}, options);
    EXPECT_EQ(withoutExport.status, 1);
}

// The JVM leaves -Djava.class.path out of the input arguments it reports; the class path
// option shows its place by overriding the one from the settings.
TEST_F(ProbeTest, SettingOptionsComeBeforeTheThreeBuiltIn)
{
    std::string app = dir / "app";
    ProcessResult result = RunClass("probe.JvmArgs", "option -Dt.first=1\n"
                                                     "option -Xss2m\n"
                                                     "option -Dapplication.home=/nowhere/\n"
                                                     "option -Djava.class.path=/nowhere.jar\n"
                                                     "option -Dt.last=%APPLICATION_HOME%x\n");
    EXPECT_EQ(LinesWith(result.out, "jvmarg:"), (std::vector<std::string>{
                                                     "jvmarg:[-Dt.first=1]",
                                                     "jvmarg:[-Xss2m]",
                                                     "jvmarg:[-Dapplication.home=/nowhere/]",
                                                     "jvmarg:[-Dt.last=" + dir.Path() + "/x]",
                                                     "jvmarg:[-Dplm.app.path=" + app + "]",
                                                     "jvmarg:[-Dapplication.home=" + dir.Path() + "/]",
                                                 }));
    EXPECT_EQ(LinesWith(result.out, "prop:[java.class.path]"), std::vector<std::string>{"prop:[java.class.path]=[" + app + "]"});
    EXPECT_EQ(LinesWith(result.out, "prop:[application.home]"),
              std::vector<std::string>{"prop:[application.home]=[" + dir.Path() + "/]"});
}

TEST_F(ProbeTest, WithoutOptionsOnlyTheThreeBuiltIn)
{
    std::string app = dir / "app";
    ProcessResult result = RunClass("probe.JvmArgs", "");
    EXPECT_EQ(LinesWith(result.out, "jvmarg:"), (std::vector<std::string>{
                                                     "jvmarg:[-Dplm.app.path=" + app + "]",
                                                     "jvmarg:[-Dapplication.home=" + dir.Path() + "/]",
                                                 }));
    EXPECT_EQ(LinesWith(result.out, "prop:[java.class.path]"), std::vector<std::string>{"prop:[java.class.path]=[" + app + "]"});
}

TEST_F(ProbeTest, PropertiesAreSetAfterCreation)
{
    ProcessResult result = RunProbe("option -Dt.win=from-option\n"
                                    "option -Dt.kept=option-only\n"
                                    "property t.win=from-property\n"
                                    "property t.flag\n"
                                    "property t.eq=a=b\n"
                                    "property t.home=%APPLICATION_HOME%\n");
    EXPECT_EQ(LinesWith(result.out, "prop:[t."), (std::vector<std::string>{
                                                      "prop:[t.eq]=[a=b]",
                                                      "prop:[t.flag]=[]",
                                                      "prop:[t.home]=[" + dir.Path() + "/]",
                                                      "prop:[t.kept]=[option-only]",
                                                      "prop:[t.win]=[from-property]",
                                                  }));
}

struct ArgumentsCase {
    const char* name;
    std::vector<std::string> commandLine;
    std::vector<std::string> expected;
};

void PrintTo(const ArgumentsCase& c, std::ostream* os) { *os << c.name; }

class ArgumentsTest : public ProbeTest, public ::testing::WithParamInterface<ArgumentsCase> {};

TEST_P(ArgumentsTest, SettingArgumentsComeFirst)
{
    ProcessResult result = RunProbe("argv -v\nargv --mode fast\n", GetParam().commandLine);
    std::vector<std::string> expected;
    for (const std::string& arg : GetParam().expected)
        expected.push_back("arg:[" + arg + "]");
    EXPECT_EQ(LinesWith(result.out, "arg:"), expected);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ArgumentsTest,
    ::testing::Values(ArgumentsCase{"None", {}, {"-v", "--mode", "fast"}},
                      ArgumentsCase{"Two", {"x", "y"}, {"-v", "--mode", "fast", "x", "y"}},
                      // the launcher takes no options of its own
                      ArgumentsCase{"OptionLike", {"-Xmx1g", "-Dt.x=1", "--help", ""},
                                    {"-v", "--mode", "fast", "-Xmx1g", "-Dt.x=1", "--help", ""}},
                      ArgumentsCase{"Blanks", {"a b", " "}, {"-v", "--mode", "fast", "a b", " "}}),
    [](const ::testing::TestParamInfo<ArgumentsCase>& info) { return std::string(info.param.name); });

TEST_F(ProbeTest, OptionLikeArgumentsChangeNoJvmOption)
{
    std::string app = dir / "app";
    ProcessResult result = RunClass("probe.JvmArgs", "", {"-Dt.x=1", "-Xmx1g"});
    EXPECT_EQ(LinesWith(result.out, "jvmarg:"), (std::vector<std::string>{
                                                     "jvmarg:[-Dplm.app.path=" + app + "]",
                                                     "jvmarg:[-Dapplication.home=" + dir.Path() + "/]",
                                                 }));
}

struct WorkingDirectoryCase {
    const char* name;
    const char* settings;
    const char* expected;  // Java's user.dir; "{dir}" is the application home, "{cwd}" where it was started
};

void PrintTo(const WorkingDirectoryCase& c, std::ostream* os) { *os << c.name; }

class WorkingDirectoryTest : public ProbeTest, public ::testing::WithParamInterface<WorkingDirectoryCase> {};

TEST_P(WorkingDirectoryTest, UserDirShowsIt)
{
    TempDir started;
    MakeDirectories(dir / "data");
    MakeDirectories(started / "data");
    ProcessOptions options;
    options.cwd = started.Path();
    ProcessResult result = RunProbe(Fill(GetParam().settings, {{"cwd", started.Path()}}), {}, options);
    std::string expected = Fill(GetParam().expected, {{"dir", dir.Path()}, {"cwd", started.Path()}});
    EXPECT_EQ(LinesWith(result.out, "prop:[user.dir]"), std::vector<std::string>{"prop:[user.dir]=[" + expected + "]"});
}

INSTANTIATE_TEST_SUITE_P(
    Forcecwd, WorkingDirectoryTest,
    ::testing::Values(WorkingDirectoryCase{"Absent", "", "{cwd}"},
                      WorkingDirectoryCase{"Empty", "forcecwd\n", "{cwd}"},
                      // relative to the application home, not to where it was started
                      WorkingDirectoryCase{"Relative", "forcecwd data\n", "{dir}/data"},
                      WorkingDirectoryCase{"Absolute", "forcecwd {cwd}/data\n", "{cwd}/data"},
                      WorkingDirectoryCase{"Variable", "forcecwd %APPLICATION_HOME%data\n", "{dir}/data"},
                      WorkingDirectoryCase{"Missing", "forcecwd nowhere\n", "{cwd}"}),
    [](const ::testing::TestParamInfo<WorkingDirectoryCase>& info) { return std::string(info.param.name); });

// The class path Java sees starts with the executable, whose tail holds the application.
TEST_F(ProbeTest, ExecutableIsTheClassPath)
{
    ProcessOptions options;
    options.unsetEnv = {"CLASSPATH", "CLASS_PATH"};
    ProcessResult result = RunProbe("", {}, options);
    std::string app = dir / "app";
    EXPECT_EQ(LinesWith(result.out, "prop:[java.class.path]"), std::vector<std::string>{"prop:[java.class.path]=[" + app + "]"});
    EXPECT_EQ(LinesWith(result.out, "prop:[plm.app.path]"), std::vector<std::string>{"prop:[plm.app.path]=[" + app + "]"});
}

// A process may be started without even a program name; the launch still works.
TEST_F(LaunchTest, EmptyArgumentVector)
{
    std::string app = MakeApp("mainclass probe.Probe\njvmdll {jvm}\nargv only\n");
    std::string output = dir / "out.txt";
    pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
        int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        char* const noArguments[] = {nullptr};
        execve(app.c_str(), noArguments, environ);
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(LinesWith(ReadFile(output), "arg"), (std::vector<std::string>{"argc=1", "arg:[only]"}));
}

}  // namespace

// ---- The launch trace ----

// The trace lines of err (those beginning "launcher: "), without the prefix.
std::vector<std::string> TraceLines(const std::string& err)
{
    std::vector<std::string> lines = LinesWith(err, "launcher: ");
    for (std::string& line : lines)
        line.erase(0, std::string("launcher: ").size());
    return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& wanted)
{
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

TEST_F(LaunchTest, TraceNamesEveryDecisionOfAFailedSearch)
{
    std::string app = MakeApp("mainclass probe.Probe\njre_order ce\njvmdll {dir}/missing.so\n");
    ProcessOptions options;
    options.setEnv = {"LAUNCHER_TRACE=1"};
    options.unsetEnv = {"JAVA_HOME", "JRE_HOME"};
    ProcessResult result = RunProcess({app}, options);

    EXPECT_EQ(result.status, 1);
    std::vector<std::string> trace = TraceLines(result.err);
    EXPECT_TRUE(HasLine(trace, "runtime search order \"ce\"")) << result.err;
    EXPECT_TRUE(HasLine(trace, "runtime c: jvmdll " + dir / "missing.so" + " is not a readable file")) << result.err;
    EXPECT_TRUE(HasLine(trace, "runtime e: JRE_HOME is not set")) << result.err;
    EXPECT_TRUE(HasLine(trace, "class path " + app)) << result.err;
    EXPECT_TRUE(HasLine(trace, "result 1")) << result.err;
    // Every line but the message itself belongs to the trace.
    EXPECT_EQ(Lines(result.err).size(), trace.size() + 1) << result.err;
    EXPECT_TRUE(HasLine(Lines(result.err), "Java Runtime Environment not found.")) << result.err;
}

TEST_F(LaunchTest, TraceFollowsASuccessfulLaunch)
{
    std::string app = MakeApp("mainclass probe.Probe\njvmdll {jvm}\noption -Dtraced=yes\n");
    ProcessOptions options;
    options.setEnv = {"LAUNCHER_TRACE=yes"};
    ProcessResult result = RunProcess({app, "a", "b"}, options);

    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> trace = TraceLines(result.err);
    EXPECT_TRUE(HasLine(trace, std::string("runtime c: ") + kTestLibJvm)) << result.err;
    EXPECT_TRUE(HasLine(trace, "JVM option 1: -Dtraced=yes")) << result.err;
    EXPECT_TRUE(HasLine(trace, "JVM option 2: -Djava.class.path=" + app)) << result.err;
    EXPECT_TRUE(HasLine(trace, "main class probe.Probe with 2 arguments")) << result.err;
    EXPECT_TRUE(HasLine(trace, "result 0")) << result.err;
}

TEST_F(LaunchTest, WithoutTraceOnlyTheMessage)
{
    std::string app = MakeApp("mainclass probe.Probe\njre_order c\n");
    for (const char* setting : {"LAUNCHER_TRACE=0", "LAUNCHER_TRACE="}) {
        ProcessOptions options;
        options.setEnv = {setting};
        ProcessResult result = RunProcess({app}, options);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "Java Runtime Environment not found.\n") << setting;
    }
}
