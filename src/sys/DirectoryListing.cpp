#include "sys/DirectoryListing.h"

#include <cstring>
#include <string>

namespace {

DIR* StreamOf(FindHandle handle) { return reinterpret_cast<DIR*>(handle); }

void FillFindData(const dirent64* entry, FindData* data)
{
    memset(data, 0, sizeof(*data));
    // The record may end right after the name's zero byte: read no further.
    memcpy(data->name, entry->d_name, strnlen(entry->d_name, sizeof(data->name) - 1));
    // Only a directory: block devices and sockets share the bit of value 4 with it.
    if (entry->d_type == DT_DIR)
        data->attributes = kFindAttributeDirectory;
}

}  // namespace

FindHandle FindFirst(const char* pattern, FindData* data)
{
    if (!pattern)
        return kInvalidFindHandle;
    // The part after the last '/' selects nothing: every entry is listed.
    const char* slash = strrchr(pattern, '/');
    std::string directory = slash ? std::string(pattern, static_cast<size_t>(slash - pattern + 1)) : pattern;
    DIR* stream = opendir(directory.c_str());
    if (!stream)
        return kInvalidFindHandle;
    // readdir64: on i386 a plain readdir fails on file systems with 64-bit inode numbers.
    const dirent64* entry = readdir64(stream);
    if (!entry) {
        closedir(stream);
        return kInvalidFindHandle;
    }
    FillFindData(entry, data);
    return reinterpret_cast<FindHandle>(stream);
}

int FindNext(FindHandle handle, FindData* data)
{
    if (handle == kInvalidFindHandle)
        return -1;
    const dirent64* entry = readdir64(StreamOf(handle));
    if (!entry)
        return -1;
    FillFindData(entry, data);
    return 0;
}

int FindClose(FindHandle handle)
{
    if (handle != kInvalidFindHandle)
        closedir(StreamOf(handle));
    return 0;
}
