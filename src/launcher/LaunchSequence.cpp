// The launch, step by step:
//   export variables -> JVM options (settings, then class path, application path and home)
//   -> runtime search and JVM creation -> system properties -> version bounds
//   -> callback (signal handlers) -> argv settings and main class -> report.
// The first failing step ends the launch; its message goes to standard error once, and its
// number is the result.
#include "launcher/LaunchSequence.h"

#include "jre/ClassPath.h"
#include "jre/RuntimeSearch.h"
#include "jvm/JavaHost.h"
#include "jvm/JavaServices.h"
#include "launcher/Messages.h"
#include "settings/SettingsLoader.h"
#include "sys/Trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// What the version check and its messages (6 and 12) need.
struct VersionBounds {
    MyCString lower;
    MyCString version;
    MyCString upper;
};

// A version as "major.minor.micro_update"; count is sscanf's: the fields parsed, 0 when
// the text does not begin with a number, -1 when it is empty.
struct VersionFields {
    int field[4] = {0, 0, 0, 0};
    int count = -1;
};

// Adds every value of key, expanded, in the locale's encoding.
void CollectSetting(const char* key, MyCStringArray& values)
{
    (void)pldr->QuerySetting(key, CSettingsLoader::EnumCommonCallback, &values);
}

// "NAME=value": the name exactly as written, blanks after the '=' skipped.
void SetExportedVariables()
{
    MyCStringArray values;
    CollectSetting("export", values);
    for (int i = 0; i < values.GetSize(); ++i) {
        char* name = values.GetAt(i);
        char* equals = strchr(name, '=');
        if (!equals)
            continue;
        *equals = 0;
        const char* value = equals + 1 + strspn(equals + 1, " \t");
        setenv(name, value, 1);
    }
}

void AddOptionWithValue(const char* prefix, const char* value)
{
    MyCString option(prefix);
    option.Append(value, static_cast<int>(strlen(value)));
    phost->AddOption(option.c_str());
}

// The `option` values in settings order, then the three options every application gets.
void AddJvmOptions()
{
    MyCStringArray values;
    CollectSetting("option", values);
    for (int i = 0; i < values.GetSize(); ++i)
        phost->AddOption(values.GetAt(i));
    MyCString classPath = BuildClassPath(*pldr);
    Trace("class path %s", classPath.c_str());
    AddOptionWithValue("-Djava.class.path=", classPath.c_str());
    AddOptionWithValue("-Dplm.app.path=", pldr->m_strExePath.c_str());
    AddOptionWithValue("-Dapplication.home=", pldr->m_strAppHome.c_str());
}

// 1 when no runtime is found, else the host's result of loading and creating the JVM.
int CreateJavaVM()
{
    MyCString library = FindJavaRuntime(*pldr);
    if (library.IsEmpty())
        return 1;
    return phost->LoadJavaVM(library.c_str());
}

// Set after creation, so they win over the same property given as a -D option.
void SetSystemProperties()
{
    MyCStringArray values;
    // Java takes these as UTF-8: collected without conversion to the locale's encoding.
    (void)pldr->QuerySetting("property", CSettingsLoader::EnumCommonCallbackUtf8, &values, false, false);
    for (int i = 0; i < values.GetSize(); ++i)
        SetSystemProperty(phost->m_pEnv, values.GetAt(i));
}

[[nodiscard]] VersionFields ParseVersion(const MyCString& text)
{
    VersionFields parsed;
    parsed.count = sscanf(text.c_str(), "%d.%d.%d_%d", &parsed.field[0], &parsed.field[1],
                          &parsed.field[2], &parsed.field[3]);
    return parsed;
}

// <0, 0 or >0 as the version compares with the bound over the fields both have; 0 also when
// either has none.
[[nodiscard]] int CompareVersions(const VersionFields& version, const VersionFields& bound)
{
    int fields = version.count < bound.count ? version.count : bound.count;
    for (int i = 0; i < fields; ++i) {
        if (version.field[i] != bound.field[i])
            return version.field[i] < bound.field[i] ? -1 : 1;
    }
    return 0;
}

// 0 when the JVM's version lies within minjre and maxjre (or neither is set), else 5, 6 or 12.
int CheckVersionBounds(VersionBounds& bounds)
{
    bounds.lower = pldr->QuerySetting("minjre");
    bounds.upper = pldr->QuerySetting("maxjre");
    if (bounds.lower.IsEmpty() && bounds.upper.IsEmpty())
        return 0;
    if (!phost->QueryJavaVersion(bounds.version))
        return 5;
    Trace("Java version \"%s\", minjre \"%s\", maxjre \"%s\"", bounds.version.c_str(),
          bounds.lower.c_str(), bounds.upper.c_str());
    VersionFields version = ParseVersion(bounds.version);
    if (CompareVersions(version, ParseVersion(bounds.lower)) < 0)
        return 6;
    if (CompareVersions(version, ParseVersion(bounds.upper)) > 0)
        return 12;
    return 0;
}

int RunConfiguredMainClass(int argc, char** argv)
{
    MyCStringArray arguments;
    CollectSetting("argv", arguments);
    MyCString mainClass = pldr->QuerySetting("mainclass", nullptr, nullptr, true);
    return phost->RunMainClass(mainClass.c_str(), arguments, argc, argv);
}

// A format is used only when it reads nothing but the five strings given: "%s" at most five
// times and "%%". Anything else (an override for 6 or 12 may hold any text) is printed as it is.
[[nodiscard]] bool IsFiveStringFormat(const char* text)
{
    int strings = 0;
    for (const char* p = strchr(text, '%'); p; p = strchr(p + 2, '%')) {
        if (p[1] == 's')
            ++strings;
        else if (p[1] != '%')
            return false;
    }
    return strings <= 5;
}

void PrintMessage(int result, const VersionBounds& bounds)
{
    MyCString text = GetMessageText(static_cast<unsigned int>(result));
    if ((result == 6 || result == 12) && IsFiveStringFormat(text.c_str())) {
        MyCString format(text);
        text.Format(format.c_str(), bounds.version.c_str(), bounds.lower.c_str(), bounds.upper.c_str(), "", "");
    }
    fprintf(stderr, "%s\n", text.c_str());
}

// The steps in order; the first result that is not 0 ends them.
int Launch(int argc, char** argv, void (*callback)(), VersionBounds& bounds)
{
    SetExportedVariables();
    AddJvmOptions();
    int result = CreateJavaVM();
    if (result != 0)
        return result;
    SetSystemProperties();
    result = CheckVersionBounds(bounds);
    if (result != 0)
        return result;
    if (callback)
        callback();
    return RunConfiguredMainClass(argc, argv);
}

// The exit status for result, after its message line.
int Report(int result, const VersionBounds& bounds)
{
    // The JVM has described the exception; like the java command, status 1 and no line of ours.
    if (result == kHostMainThrew)
        return 1;
    if (result != 0)
        PrintMessage(result, bounds);
    return result;
}

}  // namespace

int RunApplication(int argc, char** argv, void (*callback)())
{
    VersionBounds bounds;
    int result = Launch(argc, argv, callback, bounds);
    return Report(result, bounds);
}
