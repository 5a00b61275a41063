#include "jre/ClassPath.h"

#include "jre/PathText.h"
#include "sys/DirectoryListing.h"
#include "sys/Files.h"

#include <cstdlib>
#include <strings.h>

namespace {

constexpr size_t kExecutablePathSize = 4096;

bool IsArchiveName(const char* name)
{
    const char* suffix = strrchr(name, '.');
    return suffix && (strcasecmp(suffix, ".jar") == 0 || strcasecmp(suffix, ".zip") == 0);
}

// The archives below every libs directory, in the order of the settings text.
void AppendLibraryArchives(CSettingsLoader& store, MyCString& classPath)
{
    MyCStringArray directories;
    (void)store.QuerySetting("libs", CSettingsLoader::EnumCommonCallback, &directories);
    for (int i = 0; i < directories.GetSize(); ++i) {
        MyCString directory = store.ResolvePath(CStringRefT<char>(directories.GetAt(i)));
        ScanJarDirectory(directory.c_str(), classPath);
    }
}

// ":" + the variable's value, as it is, when the variable is set (even to "").
void AppendEnvironmentEntry(const char* name, MyCString& classPath)
{
    const char* value = getenv(name);
    if (!value)
        return;
    AppendText(classPath, ":");
    AppendText(classPath, value);
}

}  // namespace

MyCString BuildClassPath(CSettingsLoader& store)
{
    char executablePath[kExecutablePathSize];
    GetExecutablePath(executablePath, sizeof executablePath);
    // The application's archive is appended to the executable, so the JVM reads it first.
    MyCString classPath(executablePath);
    (void)store.QuerySetting("classpath", CSettingsLoader::EnumClassPathCallback, &classPath);
    AppendLibraryArchives(store, classPath);
    AppendEnvironmentEntry("CLASSPATH", classPath);
    AppendEnvironmentEntry("CLASS_PATH", classPath);
    return classPath;
}

void ScanJarDirectory(const char* directory, MyCString& out)
{
    MyCString dir = WithTrailingSeparator(directory);
    FindData entry;
    FindHandle listing = FindFirst(Concatenate(dir.c_str(), "*.*").c_str(), &entry);
    if (listing == kInvalidFindHandle)
        return;
    do {
        // A subdirectory's archives go in where the listing meets it.
        if (IsSubdirectoryEntry(entry))
            ScanJarDirectory(Concatenate(dir.c_str(), entry.name).c_str(), out);
        else if (!(entry.attributes & kFindAttributeDirectory) && IsArchiveName(entry.name))
            AppendText(out, Concatenate(":", dir.c_str(), entry.name).c_str());
    } while (FindNext(listing, &entry) == 0);
    FindClose(listing);
}
