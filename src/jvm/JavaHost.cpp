#include "jvm/JavaHost.h"

#include "jvm/JavaServices.h"
#include "sys/SharedLibrary.h"
#include "sys/Trace.h"

#include <cstdio>
#include <dlfcn.h>

CJavaHost* phost = nullptr;

namespace {

using CreateJavaVMFunction = jint(JNICALL*)(JavaVM**, void**, void*);

}  // namespace

CJavaHost::~CJavaHost()
{
    UnloadJavaVM();
    m_Options.m_bufPool.Free();
    m_Options.Free();
}

void CJavaHost::AddOption(const char* text)
{
    m_Options.Add(text);
}

int CJavaHost::LoadJavaVM(const char* libraryPath)
{
    Trace("loading %s", libraryPath);
    m_pLibrary = LoadSharedLibrary(libraryPath);
    if (!m_pLibrary) {
        const char* reason = dlerror();
        fprintf(stderr, "%s\n", reason ? reason : libraryPath);
        return kHostLibraryInvalid;
    }
    auto create = reinterpret_cast<CreateJavaVMFunction>(GetLibrarySymbol(m_pLibrary, "JNI_CreateJavaVM"));
    if (!create) {
        Trace("%s has no JNI_CreateJavaVM", libraryPath);
        return kHostLibraryInvalid;
    }

    int count = m_Options.GetSize();
    CBufferT<JavaVMOption> options;
    options.SetLength(count);
    for (int i = 0; i < count; ++i) {
        options.GetData()[i] = JavaVMOption{m_Options.GetAt(i), nullptr};
        Trace("JVM option %d: %s", i + 1, m_Options.GetAt(i));
    }
    JavaVMInitArgs args{};
    args.version = JNI_VERSION_1_2;
    args.nOptions = count;
    args.options = options.GetData();
    args.ignoreUnrecognized = JNI_TRUE;

    JavaVM* jvm = nullptr;
    jint created = create(&jvm, reinterpret_cast<void**>(&m_pEnv), &args);
    m_Options.m_bufPool.Free();
    m_Options.Free();
    Trace("JNI_CreateJavaVM returned %d", static_cast<int>(created));
    if (created != JNI_OK)
        return kHostCreateFailed;
    // The signal watcher reads the JVM pointer from another thread.
    __atomic_store_n(&m_pJvm, jvm, __ATOMIC_RELEASE);
    return kHostOk;
}

void CJavaHost::UnloadJavaVM()
{
    if (m_pJvm) {
        m_pJvm->DetachCurrentThread();
        m_pJvm->DestroyJavaVM();
        __atomic_store_n(&m_pJvm, nullptr, __ATOMIC_RELEASE);
    }
    // The saved dispositions may be handlers inside the JVM library.
    RestoreSignalHandlers();
    if (m_pLibrary) {
        FreeSharedLibrary(m_pLibrary);
        m_pLibrary = nullptr;
    }
}
