#include "sys/Files.h"

#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsHandleOfKind(const SysHandle* handle, int32_t kind)
{
    return handle && handle != INVALID_SYS_HANDLE && handle->kind == kind;
}

int DescriptorOf(const SysHandle* file) { return static_cast<int>(file->value); }

}  // namespace

void GetExecutablePath(char* buffer, size_t size)
{
    if (!buffer || size == 0)
        return;
    ssize_t count = readlink("/proc/self/exe", buffer, size);
    // A path that fills the whole buffer may have been cut.
    if (count < 0 || static_cast<size_t>(count) >= size)
        count = 0;
    buffer[count] = '\0';
}

SysHandle* OpenReadOnly(const char* path)
{
    if (!path)
        return INVALID_SYS_HANDLE;
    // Close on exec: redirection and "which java" start shells that must not inherit it.
    // open64: on i386 a plain open refuses files of 2 GiB and more.
    // Non-blocking: a named pipe in place of a settings file or a JVM library must not stop
    // the launch waiting for a writer; for regular files the flag changes nothing.
    int fd = open64(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return INVALID_SYS_HANDLE;
    return new SysHandle{fd, kSysHandleFile, 0};
}

long long GetHandleFileSize64(SysHandle* file)
{
    struct stat64 info;
    if (!IsHandleOfKind(file, kSysHandleFile) || fstat64(DescriptorOf(file), &info) != 0)
        return -1;
    return static_cast<long long>(info.st_size);
}

uint32_t GetHandleFileSize(SysHandle* file)
{
    long long size = GetHandleFileSize64(file);
    return size < 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
}

SysHandle* MapReadOnly(SysHandle* file)
{
    // The whole file, not its size cut to 32 bits; a file larger than the address space fails.
    long long size = GetHandleFileSize64(file);
    if (size <= 0 || static_cast<unsigned long long>(size) > SIZE_MAX)
        return INVALID_SYS_HANDLE;
    size_t length = static_cast<size_t>(size);
    void* address = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, DescriptorOf(file), 0);
    if (address == MAP_FAILED)
        return INVALID_SYS_HANDLE;
    return new SysHandle{reinterpret_cast<intptr_t>(address), kSysHandleMapping, length};
}

const void* GetMappedAddress(SysHandle* mapping)
{
    return reinterpret_cast<const void*>(mapping->value);
}

int ReleaseMappedAddress(const void*)
{
    return 1;  // the mapping lives until its handle is closed
}

int CloseSysHandle(SysHandle* handle)
{
    if (!handle || handle == INVALID_SYS_HANDLE)
        return 1;
    if (handle->kind == kSysHandleFile)
        close(DescriptorOf(handle));
    else if (handle->kind == kSysHandleMapping)
        munmap(reinterpret_cast<void*>(handle->value), handle->length);
    delete handle;
    return 1;
}

int ReadHandle(SysHandle* file, void* buffer, size_t count, long* bytesRead)
{
    long result = -1;
    if (IsHandleOfKind(file, kSysHandleFile))
        result = static_cast<long>(read(DescriptorOf(file), buffer, count));
    if (bytesRead)
        *bytesRead = result;
    return 1;
}

int GetWorkingDirectory(size_t size, char* buffer)
{
    if (!buffer || size == 0)
        return 0;
    if (!getcwd(buffer, size)) {
        buffer[0] = '\0';
        return 0;
    }
    return static_cast<int>(strlen(buffer));
}

bool IsReadable(const char* path)
{
    return path && access(path, R_OK) == 0;
}

bool IsRegularFile(const char* path)
{
    struct stat64 info;
    return stat64(path, &info) == 0 && S_ISREG(info.st_mode);
}

size_t CopyBounded(const char* source, size_t size, char* target)
{
    strncpy(target, source, size);
    return strlen(source);
}
