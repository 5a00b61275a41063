#include "settings/AppPaths.h"

#include "settings/SettingsLoader.h"
#include "sys/Files.h"

#include <unistd.h>

namespace {

const int kPathBufferSize = 4096;

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool EndsInSeparator(const MyCString& path)
{
    return !path.IsEmpty() && IsSeparator(path.c_str()[path.GetLength() - 1]);
}

// "X:" at the start of base, when its first ':' is its second byte.
bool HasDrivePrefix(const char* base)
{
    return base[0] != 0 && base[0] != ':' && base[1] == ':';
}

MyCString JoinPath(const char* base, const char* path)
{
    if (path[0] == '/' || (path[0] != 0 && path[1] == ':'))
        return MyCString(path);
    MyCString joined;
    if (path[0] == '\\') {
        if (HasDrivePrefix(base))
            joined.Append(base, 2);
    } else {
        joined = MyCString(base);
        // An empty base adds no separator: the path stays relative.
        if (!joined.IsEmpty() && !EndsInSeparator(joined))
            joined.Append("/", 1);
    }
    joined.Append(path, static_cast<int>(strlen(path)));
    return joined;
}

MyCString Concatenate(const MyCString& directory, const MyCString& path)
{
    MyCString joined(directory);
    joined.Append(path.c_str(), path.GetLength());
    return joined;
}

}  // namespace

MyCString ExecutablePath()
{
    char buffer[kPathBufferSize];
    GetExecutablePath(buffer, sizeof buffer);
    return MyCString(buffer);
}

MyCString DirectoryOf(const MyCString& path)
{
    int length = path.GetLength();
    while (length > 0 && !IsSeparator(path.c_str()[length - 1]))
        --length;
    return MyCString(path.c_str(), length);
}

int CombinePath(const char* base, const char* path, char* buffer, int size)
{
    MyCString joined = JoinPath(base, path);
    if (size > 0)
        CopyBounded(joined.c_str(), static_cast<size_t>(size), buffer);
    return joined.GetLength();
}

void ApplyForcedWorkingDirectory(const char* value)
{
    if (!pldr)
        return;
    char buffer[kPathBufferSize];
    int length = CombinePath(pldr->m_strAppHome.c_str(), value, buffer, sizeof buffer);
    if (length < 1 || length >= kPathBufferSize)
        return;
    // A directory that cannot be entered leaves the working directory as it was.
    int ignored = chdir(buffer);
    (void)ignored;
}

MyCString CSettingsLoader::ResolvePath(const CBufferRefT<char>& path) const
{
    MyCString given(path);
    if (given.CharAt(0, 0) == '\\' || given.CharAt(0, 0) == '/' || given.CharAt(1, 0) == ':')
        return given;
    MyCString inHome = Concatenate(m_strAppHome, given);
    if (IsReadable(inHome.c_str()))
        return inHome;
    MyCString inWorkDir = Concatenate(m_strWorkDir, given);
    if (IsReadable(inWorkDir.c_str()))
        return inWorkDir;
    return inHome;
}

void CSettingsLoader::RefreshWorkingDirectory()
{
    char buffer[kPathBufferSize];
    int length = GetWorkingDirectory(sizeof buffer, buffer);
    m_strWorkDir = MyCString(buffer, length);
    // An unreadable working directory stays empty, so paths joined to it stay relative.
    if (length > 0 && !EndsInSeparator(m_strWorkDir))
        m_strWorkDir.Append("/", 1);
}
