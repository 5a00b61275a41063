#include "jre/PathText.h"

void AppendText(MyCString& target, const char* text)
{
    target.Append(text, static_cast<int>(strlen(text)));
}

MyCString Concatenate(const char* a, const char* b, const char* c)
{
    MyCString result(a);
    AppendText(result, b);
    AppendText(result, c);
    return result;
}

MyCString WithTrailingSeparator(const char* path)
{
    MyCString result(path);
    int last = result.CharAt(result.GetLength() - 1, 0);
    if (last != '/' && last != '\\')
        AppendText(result, "/");
    return result;
}

bool IsSubdirectoryEntry(const FindData& entry)
{
    if (!(entry.attributes & kFindAttributeDirectory))
        return false;
    return strcmp(entry.name, ".") != 0 && strcmp(entry.name, "..") != 0;
}
