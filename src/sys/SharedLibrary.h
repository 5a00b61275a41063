// Loading of shared libraries (the JVM library). The reason for a failed load is
// available from dlerror().
#pragma once

// dlopen with lazy binding; null on failure.
[[nodiscard]] void* LoadSharedLibrary(const char* path);
// dlsym; null when the symbol is missing.
[[nodiscard]] void* GetLibrarySymbol(void* library, const char* name);
// dlclose. Always 1.
int FreeSharedLibrary(void* library);
