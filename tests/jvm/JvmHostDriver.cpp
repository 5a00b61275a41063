// Runs one JVM scenario in its own process, in the order of the launch: options, load,
// properties, version, signal handlers, main class, unload. A JVM can be created only once per
// process, so the tests start this program once per case.
//
// jvm_host_driver LIBJVM [--option=TEXT]... [--property=TEXT]... [--version] [--signals]
//                 [--main=CLASS] [--argv=VALUE]... [-- ARGUMENT...]
//
// Prints "load=N", "options=N" (left after loading), "version=TEXT", "run=N", "unloaded" and,
// with --signals, "sigint=ours" or "sigint=restored" after unloading, on standard output as it goes. Exits with the load result when it fails, 1 when main threw,
// else the run result.
#include "jvm/JavaHost.h"
#include "jvm/JavaServices.h"

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

struct Scenario {
    const char* library = "";
    MyCStringArray options;
    MyCStringArray properties;
    bool version = false;
    bool signals = false;
    const char* mainClass = nullptr;
    MyCStringArray argvValues;
    int argc = 0;
    char** argv = nullptr;
};

// The value after prefix, or null when arg does not start with it.
const char* ValueOf(const char* arg, const char* prefix)
{
    size_t length = strlen(prefix);
    return strncmp(arg, prefix, length) == 0 ? arg + length : nullptr;
}

[[nodiscard]] bool ParseScenario(int argc, char** argv, Scenario& scenario)
{
    if (argc < 2)
        return false;
    scenario.library = argv[1];
    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = nullptr;
        if (strcmp(arg, "--") == 0) {
            scenario.argc = argc - i - 1;
            scenario.argv = argv + i + 1;
            return true;
        }
        if ((value = ValueOf(arg, "--option=")))
            scenario.options.Add(value);
        else if ((value = ValueOf(arg, "--property=")))
            scenario.properties.Add(value);
        else if ((value = ValueOf(arg, "--main=")))
            scenario.mainClass = value;
        else if ((value = ValueOf(arg, "--argv=")))
            scenario.argvValues.Add(value);
        else if (strcmp(arg, "--version") == 0)
            scenario.version = true;
        else if (strcmp(arg, "--signals") == 0)
            scenario.signals = true;
        else
            return false;
    }
    return true;
}

// Java writes to the same descriptor: every line goes out at once.
void Report(const char* name, const char* text)
{
    printf("%s=%s\n", name, text);
    fflush(stdout);
}

void Report(const char* name, int value)
{
    printf("%s=%d\n", name, value);
    fflush(stdout);
}

[[nodiscard]] int RunScenario(CJavaHost& host, Scenario& scenario)
{
    for (int i = 0; i < scenario.options.GetSize(); ++i)
        host.AddOption(scenario.options.GetAt(i));
    int loaded = host.LoadJavaVM(scenario.library);
    Report("load", loaded);
    Report("options", host.m_Options.GetSize());
    if (loaded != kHostOk)
        return loaded;
    for (int i = 0; i < scenario.properties.GetSize(); ++i)
        SetSystemProperty(host.m_pEnv, scenario.properties.GetAt(i));
    if (scenario.version) {
        MyCString version;
        Report("version", host.QueryJavaVersion(version) ? version.c_str() : "(failed)");
    }
    if (scenario.signals)
        InstallSignalHandlers();
    if (!scenario.mainClass)
        return 0;
    int result = host.RunMainClass(scenario.mainClass, scenario.argvValues, scenario.argc, scenario.argv);
    Report("run", result);
    return result == kHostMainThrew ? 1 : result;
}

[[nodiscard]] const char* SigintDisposition()
{
    struct sigaction current;
    sigaction(SIGINT, nullptr, &current);
    return current.sa_handler == OnTerminateSignal ? "ours" : "restored";
}

}  // namespace

int main(int argc, char** argv)
{
    setlocale(LC_ALL, "");
    Scenario scenario;
    if (!ParseScenario(argc, argv, scenario)) {
        fprintf(stderr, "usage: jvm_host_driver LIBJVM [--option=|--property=|--main=|--argv=TEXT] "
                        "[--version] [--signals] [-- ARGUMENT...]\n");
        return 64;
    }
    CJavaHost host;
    phost = &host;
    int status = RunScenario(host, scenario);
    host.UnloadJavaVM();
    phost = nullptr;
    printf("unloaded\n");
    if (scenario.signals)
        Report("sigint", SigintDisposition());
    return status;
}
