#include "jre/RuntimeSearch.h"

#include "jre/JvmLibrary.h"
#include "jre/PathText.h"
#include "settings/VariableExpansion.h"
#include "sys/Files.h"
#include "sys/Trace.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kDefaultOrder[] = "cbsie";
// A chain longer than this is taken for a loop.
constexpr int kMaxLinks = 40;

// jre_order lowered, or the default when it names no source at all.
MyCString SearchOrder(const CSettingsLoader& store)
{
    MyCString order = store.QuerySetting("jre_order");
    for (int i = 0; i < order.GetLength(); ++i)
        order.m_pData[i] = static_cast<char>(tolower(static_cast<unsigned char>(order.m_pData[i])));
    if (strpbrk(order.c_str(), kDefaultOrder) == nullptr)
        return MyCString(kDefaultOrder);
    return order;
}

// Letter c: the jvmdll file itself, when readable.
MyCString FindExplicitLibrary(CSettingsLoader& store)
{
    MyCString value = ExpandVariables(store.QuerySetting("jvmdll"), false);
    if (value.IsEmpty()) {
        Trace("runtime c: no jvmdll");
        return MyCString();
    }
    MyCString path = store.ResolvePath(value);
    // A named pipe would block the loader for good.
    if (!IsReadable(path.c_str()) || !IsRegularFile(path.c_str())) {
        Trace("runtime c: jvmdll %s is not a readable file", path.c_str());
        return MyCString();
    }
    return path;
}

// Letter b: the runtime named by jre, by default the application's own "./jre/".
MyCString FindBundledRuntime(CSettingsLoader& store)
{
    MyCString value = ExpandVariables(store.QuerySetting("jre"), false);
    if (value.IsEmpty())
        value = "./jre/";
    MyCString home = store.ResolvePath(value);
    Trace("runtime b: Java home %s", home.c_str());
    return FindJvmLibrary(store, home.c_str());
}

MyCString FindFromSource(CSettingsLoader& store, char letter)
{
    switch (letter) {
    case 'c':
        return FindExplicitLibrary(store);
    case 'b':
        return FindBundledRuntime(store);
    case 's':
        return FindJvmFromPath(store);
    case 'e':
        return FindJvmFromEnvironment(store);
    default:  // 'i' and bytes that name no source
        return MyCString();
    }
}

// The java command as the shell finds it: the first directory of PATH holding an executable
// regular file named "java" (an empty directory name stands for the working directory).
// Searched here rather than through "which java", which would start two programs.
// "/" when there is none, as the search then looks under the root directory.
MyCString FindJavaCommand()
{
    const char* directories = getenv("PATH");
    for (const char* start = directories; start;) {
        const char* end = strchr(start, ':');
        int length = end ? static_cast<int>(end - start) : static_cast<int>(strlen(start));
        MyCString command = length > 0 ? MyCString(start, length) : MyCString(".");
        AppendText(command, "/java");
        struct stat info;
        if (stat(command.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(command.c_str(), X_OK) == 0)
            return command;
        start = end ? end + 1 : nullptr;
    }
    return MyCString("/");
}

// path up to and including its last '/'; "" when it has none.
MyCString UpToLastSlash(const MyCString& path)
{
    const char* slash = strrchr(path.c_str(), '/');
    return slash ? MyCString(path.c_str(), static_cast<int>(slash - path.c_str()) + 1) : MyCString();
}

// A relative link target is relative to the directory that holds the link.
MyCString ResolveLinkTarget(const MyCString& link, const MyCString& target)
{
    if (target.CharAt(0, 0) == '/')
        return target;
    return Concatenate(UpToLastSlash(link).c_str(), target.c_str());
}

// Replaces path by the end of its chain of symbolic links; false for a chain of more than
// kMaxLinks links.
bool FollowLinks(MyCString& path)
{
    for (int followed = 0;; ++followed) {
        char target[PATH_MAX];
        ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length < 0)
            return true;
        // Linux keeps link targets below PATH_MAX bytes, so a full buffer means a cut target.
        if (followed == kMaxLinks || length == static_cast<ssize_t>(sizeof target))
            return false;
        path = ResolveLinkTarget(path, MyCString(target, static_cast<int>(length)));
    }
}

}  // namespace

MyCString FindJavaRuntime(CSettingsLoader& store)
{
    MyCString order = SearchOrder(store);
    Trace("runtime search order \"%s\"", order.c_str());
    for (int i = 0; i < order.GetLength(); ++i) {
        MyCString candidate = FindFromSource(store, order.m_pData[i]);
        Trace("runtime %c: %s", order.m_pData[i], candidate.IsEmpty() ? "nothing found" : candidate.c_str());
        if (!candidate.IsEmpty())
            return candidate;
    }
    return MyCString();
}

MyCString FindJvmFromPath(CSettingsLoader& store)
{
    MyCString command = FindJavaCommand();
    Trace("runtime s: the java command on PATH is %s", command.c_str());
    if (!FollowLinks(command)) {
        Trace("runtime s: more than %d links to follow", kMaxLinks);
        return MyCString();
    }
    MyCString directory = UpToLastSlash(command);
    Trace("runtime s: the java command is in \"%s\"", directory.c_str());
    if (directory.IsEmpty())
        return MyCString();
    return FindJvmLibrary(store, directory.c_str());
}

MyCString FindJvmFromEnvironment(CSettingsLoader& store)
{
    for (const char* name : {"JRE_HOME", "JAVA_HOME"}) {
        const char* home = getenv(name);
        if (!home || !*home) {
            Trace("runtime e: %s is %s", name, home ? "empty" : "not set");
            continue;
        }
        Trace("runtime e: %s=%s", name, home);
        MyCString found = FindJvmLibrary(store, home);
        if (!found.IsEmpty())
            return found;
    }
    return MyCString();
}
