// The process entry: builds the settings store and the JVM host, publishes them, applies the
// start-up settings, runs the launch and tears everything down in a fixed order.
#include "jvm/JavaHost.h"
#include "jvm/JavaServices.h"
#include "launcher/LaunchSequence.h"
#include "launcher/SharedBlock.h"
#include "redirect/StdRedir.h"
#include "settings/AppPaths.h"
#include "settings/SettingsLoader.h"
#include "settings/VariableExpansion.h"
#include "sys/Trace.h"

#include <clocale>

namespace {

// Native code in the process finds the store and the host through these.
void Publish(CSettingsLoader& store, CJavaHost& host)
{
    pldr = &store;
    phost = &host;
    if (sharedBlock.m_pBlock) {
        sharedBlock.m_pBlock[0] = &store;
        sharedBlock.m_pBlock[1] = &host;
    }
}

[[nodiscard]] MyCString ExpandedSetting(const CSettingsLoader& store, const char* key)
{
    return ExpandVariables(store.QuerySetting(key), false);
}

void ApplyWorkingDirectory(CSettingsLoader& store, const MyCString& forcecwd)
{
    if (forcecwd.IsEmpty())
        return;
    ApplyForcedWorkingDirectory(forcecwd.c_str());
    store.RefreshWorkingDirectory();
}

}  // namespace

int main(int argc, char** argv)
{
    setlocale(LC_ALL, "");
    CSettingsLoader store(true);
    CJavaHost host;
    Publish(store, host);
    Trace("executable %s, application home %s, working directory %s", store.m_strExePath.c_str(),
          store.m_strAppHome.c_str(), store.m_strWorkDir.c_str());

    // Declared here so that they are destroyed after the host is unloaded, before host and store.
    MyCString forcecwd = ExpandedSetting(store, "forcecwd");
    ApplyWorkingDirectory(store, forcecwd);
    MyCString stderrTarget = ExpandedSetting(store, "stderr");
    if (!stderrTarget.IsEmpty())
        stdRedir.RedirectStderr(stderrTarget);
    MyCString stdoutTarget = ExpandedSetting(store, "stdout");
    if (!stdoutTarget.IsEmpty())
        stdRedir.RedirectStdout(stdoutTarget);

    // A process started with an empty argument vector has no program name to drop.
    int result = argc > 0 ? RunApplication(argc - 1, argv + 1, InstallSignalHandlers)
                          : RunApplication(0, argv, InstallSignalHandlers);

    Trace("result %d", result);
    host.UnloadJavaVM();
    pldr = nullptr;
    phost = nullptr;
    return result;
}
