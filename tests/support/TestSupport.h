// What the tests share: temporary directories, files, real child processes, jars and
// generated executables made by launcher-pack.
//
// Paths of the build's own programs and of the Java runtime come from compile definitions
// set by tests/support/CMakeLists.txt (see kLauncherPath and the rest below).
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace testsupport {

// The launcher program of this build, the pack tool, the JDK's tools, and the Java runtime
// of this build's processor (its home and its libjvm.so).
extern const char* const kLauncherPath;
extern const char* const kPackToolPath;
extern const char* const kJavacPath;
extern const char* const kJarToolPath;
extern const char* const kTestJavaHome;
extern const char* const kTestLibJvm;

// A fresh directory under $TMPDIR (or /tmp), removed with its contents on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // Path() + "/" + name.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Writes bytes to path (creating parent directories) with the given mode. Fails the test on error.
void WriteFile(const std::string& path, const std::string& bytes, mode_t mode = 0644);
// The whole file; "" when it cannot be read.
std::string ReadFile(const std::string& path);
// mkdir -p.
void MakeDirectories(const std::string& path);

// True when this 32-bit build runs through qemu's user-mode emulator (scripts/setup registers it
// on kernels that cannot run 32-bit programs). The emulator does not carry the JVM through
// signals, so tests of signal handling say so and skip there.
bool RunsUnderEmulation();

// java.version of the test runtime, from its release file; "" when it cannot be read.
std::string TestJavaVersion();

// The units as UTF-16 bytes after their byte-order mark, little- or big-endian.
std::string Utf16WithMark(const std::u16string& units, bool bigEndian);

struct ProcessOptions {
    std::vector<std::string> setEnv;    // "NAME=VALUE", added to or replacing the inherited environment
    std::vector<std::string> unsetEnv;  // names removed from the inherited environment
    bool clearEnv = false;              // start from an empty environment instead
    std::string cwd;                    // working directory; "" keeps the test's
    std::string stdinText;              // written to the child's standard input, then closed
    int timeoutSeconds = 120;           // killed with SIGKILL after this
};

struct ProcessResult {
    int status = -1;        // exit status, or -1 when killed by a signal
    int signal = 0;         // the terminating signal, or 0
    bool timedOut = false;  // killed because the timeout passed
    std::string out;        // everything written to standard output
    std::string err;        // everything written to standard error
};

// Runs argv[0] (a path, or a name looked up on PATH) and waits for it.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// Starts a process without waiting; pair with WaitProcess. Output is collected by WaitProcess.
struct RunningProcess {
    pid_t pid = -1;
    int outFd = -1;
    int errFd = -1;
};
RunningProcess StartProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});
ProcessResult WaitProcess(RunningProcess& process, int timeoutSeconds = 120);

// Compiles the Java sources (file name -> source text) and packs the classes into jarPath
// with the JDK's tools. Fails the test on a compile error.
void MakeJar(const std::string& jarPath, const std::vector<std::pair<std::string, std::string>>& javaSources);

struct PackRequest {
    std::string jar;        // --jar
    std::string settings;   // settings text, written to a file and passed as --settings
    std::string output;     // --output
    std::string launcher;   // --launcher, "" for the pack tool's default
    std::string comment;    // --comment, used when hasComment is set
    bool hasComment = false;
};
// Runs launcher-pack; the test fails when it does not exit 0.
void Pack(const PackRequest& request);

}  // namespace testsupport
