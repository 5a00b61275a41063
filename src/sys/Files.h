// Read-only file access through handle records, the executable's own path, the working
// directory and the readability test. Failures are results: the invalid handle, all bits
// set, an empty string or false. Nothing here prints.
#pragma once

#include <cstddef>
#include <cstdint>

struct SysHandle {
    intptr_t value;  // descriptor (kind 1) or mapping address (kind 2)
    int32_t kind;    // 1 = open file, 2 = read-only mapping
    size_t length;   // bytes mapped (kind 2), 0 for a file
};

enum : int32_t { kSysHandleFile = 1, kSysHandleMapping = 2 };

// The invalid handle: a handle value with all bits set.
#define INVALID_SYS_HANDLE (reinterpret_cast<SysHandle*>(~static_cast<uintptr_t>(0)))

// Fills buffer with the running executable's absolute path; an empty string when it cannot be
// read or does not fit (size - 1 bytes at most).
void GetExecutablePath(char* buffer, size_t size);

// A kind-1 handle for path, or INVALID_SYS_HANDLE.
[[nodiscard]] SysHandle* OpenReadOnly(const char* path);
// The file's size, low 32 bits; 0xFFFFFFFF when it cannot be read.
[[nodiscard]] uint32_t GetHandleFileSize(SysHandle* file);
// Size of the file in full (64 bits); -1 when it cannot be read.
[[nodiscard]] long long GetHandleFileSize64(SysHandle* file);
// A kind-2 handle mapping the whole file read-only, or INVALID_SYS_HANDLE (also for an empty file).
[[nodiscard]] SysHandle* MapReadOnly(SysHandle* file);
const void* GetMappedAddress(SysHandle* mapping);
int ReleaseMappedAddress(const void* address);
// Closes the descriptor or unmaps the range, frees the record. Always 1.
int CloseSysHandle(SysHandle* handle);
// One read of up to count bytes; what read returned (or -1) goes to *bytesRead. Always 1.
int ReadHandle(SysHandle* file, void* buffer, size_t count, long* bytesRead);

// getcwd into buffer; the length stored, or 0 and an empty string on failure.
int GetWorkingDirectory(size_t size, char* buffer);

// access(path, R_OK) == 0. Directories count.
[[nodiscard]] bool IsReadable(const char* path);
// True when path (links followed) is a regular file: not a directory, pipe or device.
[[nodiscard]] bool IsRegularFile(const char* path);

// strncpy(target, source, size); returns strlen(source). A source of size bytes or more is
// cut and left without a terminator.
size_t CopyBounded(const char* source, size_t size, char* target);
