#include "sys/SharedLibrary.h"

#include <dlfcn.h>

void* LoadSharedLibrary(const char* path)
{
    return dlopen(path, RTLD_LAZY);
}

void* GetLibrarySymbol(void* library, const char* name)
{
    return dlsym(library, name);
}

int FreeSharedLibrary(void* library)
{
    if (library)
        dlclose(library);
    return 1;
}
