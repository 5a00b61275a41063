// Directory listings in find-first / find-next form. Only the directory part of the
// pattern counts ('dir/*.*' lists every entry of 'dir/'); entries come in the system's
// order, "." and ".." included.
#pragma once

#include <cstdint>
#include <dirent.h>

enum : uint32_t { kFindAttributeDirectory = 0x10 };

struct FindData {
    uint32_t attributes;      // kFindAttributeDirectory when the listing reports a directory
    char name[sizeof(((dirent*)nullptr)->d_name)];
};

using FindHandle = intptr_t;
constexpr FindHandle kInvalidFindHandle = -1;

// Opens the listing of the pattern's directory and reports its first entry; -1 when the
// directory cannot be opened or is empty. Patterns of any length are accepted.
[[nodiscard]] FindHandle FindFirst(const char* pattern, FindData* data);
// 0 and the next entry, or -1 when no entry is left.
[[nodiscard]] int FindNext(FindHandle handle, FindData* data);
// Closes the listing. Always 0.
int FindClose(FindHandle handle);
