// The JVM host: collects the JVM options, loads the JVM library found at run time, creates
// the JVM through JNI_CreateJavaVM, runs the main class and destroys the JVM at the end.
// A plain class without virtual operations; native code in the process reaches it through
// slot 1 of the shared block, so its members keep this order.
#pragma once

#include "text/Buffer.h"

#include <jni.h>

// Results of the host, which are also message numbers.
enum : int {
    kHostOk = 0,
    kHostLibraryInvalid = 2,     // library not loadable, or no JNI_CreateJavaVM
    kHostCreateFailed = 4,       // JNI_CreateJavaVM failed
    kHostClassNotFound = 7,      // main class missing
    kHostMainMissing = 8,        // no static void main(String[])
    kHostMainThrew = -1,         // main threw, or its arguments could not be built (described)
};

class CJavaHost {
public:
    CJavaHost() {}
    ~CJavaHost();
    CJavaHost(const CJavaHost&) = delete;
    CJavaHost& operator=(const CJavaHost&) = delete;

    // Appends a copy of text to the option list, byte for byte.
    void AddOption(const char* text);
    // kHostOk, kHostLibraryInvalid (the loader's error line printed when loading failed) or
    // kHostCreateFailed. The option list is consumed by JNI_CreateJavaVM.
    [[nodiscard]] int LoadJavaVM(const char* libraryPath);
    // Detaches, destroys the JVM (waiting for non-daemon threads), restores the signal
    // dispositions and closes the library; each only if present. Safe to repeat.
    void UnloadJavaVM();

    // FindClass with dots turned into slashes; null (exception described) when missing.
    [[nodiscard]] jclass FindJavaClass(const char* name);
    // Runs name.main with the split setting values followed by argv.
    // kHostOk, kHostClassNotFound, kHostMainMissing or kHostMainThrew.
    [[nodiscard]] int RunMainClass(const char* name, MyCStringArray& settingValues, int argc, char** argv);
    // A String[] of the tokens followed by the command-line arguments; null when the JVM
    // could not create it (the exception is described and cleared).
    [[nodiscard]] jobjectArray BuildArgumentArray(int tokenCount, char** tokens, int argc, char** argv);
    // Reads java.version into version (native encoding); false when the JVM cannot be asked.
    [[nodiscard]] bool QueryJavaVersion(MyCString& version);

    MyCStringArray m_Options;        // the option offsets, then the option pool
    void* m_pLibrary = nullptr;
    JavaVM* m_pJvm = nullptr;
    JNIEnv* m_pEnv = nullptr;
};

// The one JVM host of the process, published by main; null before and after the run.
extern CJavaHost* phost;
