#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

const char* const kLauncherPath = LAUNCHER_TEST_LAUNCHER_PATH;
const char* const kPackToolPath = LAUNCHER_TEST_PACK_TOOL_PATH;
const char* const kJavacPath = LAUNCHER_TEST_JAVAC_PATH;
const char* const kJarToolPath = LAUNCHER_TEST_JAR_TOOL_PATH;
const char* const kTestJavaHome = LAUNCHER_TEST_JAVA_HOME_PATH;
const char* const kTestLibJvm = LAUNCHER_TEST_LIBJVM_PATH;

namespace {

std::string ErrnoText() {
    return std::strerror(errno);
}

// ---- Temporary directories ----

bool g_sawUnreadableDirectory = false;

int MakeDirectoryRemovable(const char* path, const struct stat*, int type, struct FTW*) {
    if (type == FTW_DNR) {
        g_sawUnreadableDirectory = true;
    }
    if (type == FTW_D || type == FTW_DNR) {
        chmod(path, 0700);
    }
    return 0;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    remove(path);
    return 0;
}

// Tests make directories unreadable or read-only on purpose: open them all up first, one
// level deeper each pass, then remove depth first.
void RemoveTree(const std::string& path) {
    constexpr int kMaxPasses = 64;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        g_sawUnreadableDirectory = false;
        nftw(path.c_str(), MakeDirectoryRemovable, 16, FTW_PHYS);
        if (!g_sawUnreadableDirectory) {
            break;
        }
    }
    nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

// ---- Processes ----

std::vector<char*> PointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

bool NameIs(const std::string& entry, const std::string& name) {
    return entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 && entry[name.size()] == '=';
}

std::string NameOf(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

std::vector<std::string> ChildEnvironment(const ProcessOptions& options) {
    std::vector<std::string> result;
    if (!options.clearEnv) {
        for (char** entry = environ; *entry != nullptr; ++entry) {
            result.emplace_back(*entry);
        }
    }
    std::vector<std::string> removed = options.unsetEnv;
    for (const std::string& entry : options.setEnv) {
        removed.push_back(NameOf(entry));
    }
    std::vector<std::string> kept;
    for (const std::string& entry : result) {
        bool drop = false;
        for (const std::string& name : removed) {
            drop = drop || NameIs(entry, name);
        }
        if (!drop) {
            kept.push_back(entry);
        }
    }
    kept.insert(kept.end(), options.setEnv.begin(), options.setEnv.end());
    return kept;
}

// The child's standard input: an anonymous file holding the text, so writing it can never
// block however much the child leaves unread.
int StandardInputFile(const std::string& text) {
    int fd = memfd_create("test-stdin", MFD_CLOEXEC);
    if (fd < 0) {
        ADD_FAILURE() << "memfd_create: " << ErrnoText();
        return -1;
    }
    size_t written = 0;
    while (written < text.size()) {
        ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ADD_FAILURE() << "writing the child's input: " << ErrnoText();
            break;
        }
        written += static_cast<size_t>(n);
    }
    lseek(fd, 0, SEEK_SET);
    return fd;
}

// Runs in the forked child: only async-signal-safe calls until exec.
[[noreturn]] void ExecChild(char* const* argv, char* const* envp, const char* cwd, int inFd, int outFd, int errFd) {
    dup2(inFd, STDIN_FILENO);
    dup2(outFd, STDOUT_FILENO);
    dup2(errFd, STDERR_FILENO);
    if (cwd[0] != '\0' && chdir(cwd) != 0) {
        static const char kMessage[] = "test child: cannot change directory\n";
        (void)!write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
        _exit(127);
    }
    signal(SIGPIPE, SIG_DFL);
    execvpe(argv[0], argv, envp);
    static const char kMessage[] = "test child: exec failed\n";
    (void)!write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    _exit(127);
}

// Appends what is available on fd; closes it and sets it to -1 at end of file.
void Drain(int& fd, std::string& into) {
    char buffer[65536];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (n <= 0) {
        close(fd);
        fd = -1;
        return;
    }
    into.append(buffer, static_cast<size_t>(n));
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void RecordStatus(int waitStatus, ProcessResult& result) {
    if (WIFEXITED(waitStatus)) {
        result.status = WEXITSTATUS(waitStatus);
    } else if (WIFSIGNALED(waitStatus)) {
        result.signal = WTERMSIG(waitStatus);
    }
}

}  // namespace

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/launcher-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "mkdtemp " << pattern << ": " << ErrnoText();
        return;
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    if (!m_path.empty()) {
        RemoveTree(m_path);
    }
}

void MakeDirectories(const std::string& path) {
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
            ADD_FAILURE() << "mkdir " << prefix << ": " << ErrnoText();
            return;
        }
        if (slash == std::string::npos) {
            return;
        }
    }
}

void WriteFile(const std::string& path, const std::string& bytes, mode_t mode) {
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        MakeDirectories(path.substr(0, slash));
    }
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        ADD_FAILURE() << "open " << path << ": " << ErrnoText();
        return;
    }
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ADD_FAILURE() << "write " << path << ": " << ErrnoText();
            break;
        }
        written += static_cast<size_t>(n);
    }
    // Set after writing so that a read-only mode still gets its content, and regardless of umask.
    if (fchmod(fd, mode) != 0) {
        ADD_FAILURE() << "chmod " << path << ": " << ErrnoText();
    }
    close(fd);
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return bytes;
    }
    for (;;) {
        char buffer[65536];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            bytes.clear();
            break;
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return bytes;
}

RunningProcess StartProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    RunningProcess process;
    if (argv.empty()) {
        ADD_FAILURE() << "StartProcess without a program";
        return process;
    }
    std::vector<std::string> arguments = argv;
    std::vector<std::string> environment = ChildEnvironment(options);
    std::vector<char*> argvPointers = PointersTo(arguments);
    std::vector<char*> envPointers = PointersTo(environment);
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: " << ErrnoText();
        return process;
    }
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: " << ErrnoText();
        close(outPipe[0]);
        close(outPipe[1]);
        return process;
    }
    int inFd = StandardInputFile(options.stdinText);
    pid_t pid = fork();
    if (pid == 0) {
        ExecChild(argvPointers.data(), envPointers.data(), options.cwd.c_str(), inFd, outPipe[1], errPipe[1]);
    }
    if (inFd >= 0) {
        close(inFd);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    if (pid < 0) {
        ADD_FAILURE() << "fork: " << ErrnoText();
        close(outPipe[0]);
        close(errPipe[0]);
        return process;
    }
    process.pid = pid;
    process.outFd = outPipe[0];
    process.errFd = errPipe[0];
    return process;
}

ProcessResult WaitProcess(RunningProcess& process, int timeoutSeconds) {
    ProcessResult result;
    if (process.pid <= 0) {
        return result;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while ((process.outFd >= 0 || process.errFd >= 0) && MillisecondsUntil(deadline) > 0) {
        pollfd fds[2] = {{process.outFd, POLLIN, 0}, {process.errFd, POLLIN, 0}};
        int ready = poll(fds, 2, MillisecondsUntil(deadline));
        if (ready > 0 && fds[0].revents != 0) {
            Drain(process.outFd, result.out);
        }
        if (ready > 0 && fds[1].revents != 0) {
            Drain(process.errFd, result.err);
        }
    }
    CloseIfOpen(process.outFd);
    CloseIfOpen(process.errFd);
    int waitStatus = 0;
    pid_t waited = 0;
    // The child may close its output and still run: keep to the same deadline.
    while ((waited = waitpid(process.pid, &waitStatus, WNOHANG)) == 0 && MillisecondsUntil(deadline) > 0) {
        usleep(10000);
    }
    if (waited == 0) {
        result.timedOut = true;
        kill(process.pid, SIGKILL);
        while (waitpid(process.pid, &waitStatus, 0) < 0 && errno == EINTR) {
        }
    }
    RecordStatus(waitStatus, result);
    process.pid = -1;
    return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    RunningProcess process = StartProcess(argv, options);
    return WaitProcess(process, options.timeoutSeconds);
}

void MakeJar(const std::string& jarPath, const std::vector<std::pair<std::string, std::string>>& javaSources) {
    TempDir work;
    std::vector<std::string> javac = {kJavacPath, "--release", "17", "-encoding", "UTF-8", "-d", work / "classes"};
    for (const auto& [name, text] : javaSources) {
        WriteFile(work / ("src/" + name), text);
        javac.push_back(work / ("src/" + name));
    }
    ProcessResult compiled = RunProcess(javac);
    ASSERT_EQ(compiled.status, 0) << "javac failed:\n" << compiled.out << compiled.err;
    ProcessResult packed = RunProcess({kJarToolPath, "cf", jarPath, "-C", work / "classes", "."});
    ASSERT_EQ(packed.status, 0) << "jar failed:\n" << packed.out << packed.err;
}

void Pack(const PackRequest& request) {
    TempDir work;
    WriteFile(work / "settings.txt", request.settings);
    std::vector<std::string> argv = {kPackToolPath, "--jar", request.jar, "--settings", work / "settings.txt",
                                     "--output", request.output};
    if (!request.launcher.empty()) {
        argv.insert(argv.end(), {"--launcher", request.launcher});
    }
    if (request.hasComment) {
        argv.insert(argv.end(), {"--comment", request.comment});
    }
    ProcessResult packed = RunProcess(argv);
    ASSERT_EQ(packed.status, 0) << "launcher-pack failed:\n" << packed.err;
}

bool RunsUnderEmulation()
{
    return sizeof(void*) == 4 && ReadFile("/proc/sys/fs/binfmt_misc/qemu-i386").rfind("enabled", 0) == 0;
}

std::string TestJavaVersion()
{
    std::string release = ReadFile(std::string(kTestJavaHome) + "/release");
    std::string key = "JAVA_VERSION=\"";
    size_t start = release.find(key);
    if (start == std::string::npos)
        return "";
    start += key.size();
    return release.substr(start, release.find('"', start) - start);
}

std::string Utf16WithMark(const std::u16string& units, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : units) {
        char high = static_cast<char>(unit >> 8);
        char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

}  // namespace testsupport
