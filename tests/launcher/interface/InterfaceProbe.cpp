// A JNI library for the test application Probe: it reaches the launcher that hosts it only
// as any native library would, through the exported symbols, the published shared block and
// its own declarations of the launcher's object shapes. It includes nothing of the launcher.
#include <jni.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/ipc.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The launcher's buffer shape: virtual table (complete destructor, deleting destructor,
// SetLength), data, length, capacity. The launcher's Add grows an array of this shape through
// the SetLength slot, or through its own growth code with realloc; both keep the storage
// realloc-compatible, and the capacity field truthful.
template <class T>
class ProbeBuffer {
public:
    ProbeBuffer() {}
    virtual ~ProbeBuffer() { free(m_pData); }
    ProbeBuffer(const ProbeBuffer&) = delete;
    ProbeBuffer& operator=(const ProbeBuffer&) = delete;

    // Length n (never below 0), with storage for at least n elements.
    virtual void SetLength(int n)
    {
        if (n < 0)
            n = 0;
        if (n > m_nCapacity) {
            int capacity = n < 8 ? 8 : n * 2;
            void* grown = realloc(m_pData, static_cast<size_t>(capacity) * sizeof(T));
            if (!grown)
                abort();
            m_pData = static_cast<T*>(grown);
            m_nCapacity = capacity;
        }
        m_nLength = n;
    }

    T* m_pData = nullptr;
    int m_nLength = 0;
    int m_nCapacity = 0;
};

// The launcher's string array: the offsets (this buffer) and the pool of terminated strings.
class ProbeStringArray : public ProbeBuffer<int> {
public:
    const char* At(int index) const { return m_bufPool.m_pData + m_pData[index]; }

    ProbeBuffer<char> m_bufPool;
};

// A launcher string or buffer, read without using its virtual table.
struct ProbeStringView {
    const void* vtable;
    const char* m_pData;
    int m_nLength;
    int m_nCapacity;
};

// The settings store: its text as a string, then its members in order.
struct ProbeSettingsStore {
    const void* vtable;
    const char* m_pData;
    int m_nLength;
    int m_nCapacity;
    int m_nEmbeddedStart;
    ProbeStringView m_strExePath;
    ProbeStringView m_strAppHome;
    ProbeStringView m_strWorkDir;
};

struct ProbeMessage {
    uintptr_t id;
    const char* text;
};

using EnumCallback = void (*)(void* context, const char* value);

std::string Text(const ProbeStringView& s)
{
    return std::string(s.m_pData, static_cast<size_t>(s.m_nLength));
}

std::string Hex(const void* address)
{
    char text[32];
    snprintf(text, sizeof(text), "%lX", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(address)));
    return text;
}

// text with its line feeds written as backslash and n, to stay on one report line.
std::string OneLine(const char* text)
{
    std::string line;
    for (; *text; ++text)
        line += *text == '\n' ? std::string("\\n") : std::string(1, *text);
    return line;
}

std::string ExecutablePath()
{
    char path[4096] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

std::string BlockVariableName()
{
    char name[32];
    snprintf(name, sizeof(name), "KEYSHM%08X", static_cast<unsigned int>(ftok(ExecutablePath().c_str(), 255)));
    return name;
}

// The variable's value in the environment this process was started with ("" when absent):
// what the launcher found before it published its own block.
std::string InheritedValue(const std::string& name)
{
    std::string environment;
    int fd = open("/proc/self/environ", O_RDONLY | O_CLOEXEC);
    char chunk[4096];
    ssize_t got = 0;
    while (fd != -1 && (got = read(fd, chunk, sizeof(chunk))) > 0)
        environment.append(chunk, static_cast<size_t>(got));
    if (fd != -1)
        close(fd);
    std::string prefix = name + "=";
    size_t start = 0;
    while (start < environment.size()) {
        size_t end = environment.find('\0', start);
        if (end == std::string::npos)
            end = environment.size();
        std::string entry = environment.substr(start, end - start);
        if (entry.compare(0, prefix.size(), prefix) == 0)
            return entry.substr(prefix.size());
        start = end + 1;
    }
    return "";
}

std::string BlockLines()
{
    std::string name = BlockVariableName();
    const char* published = getenv(name.c_str());
    void* const* pldr = static_cast<void* const*>(dlsym(RTLD_DEFAULT, "pldr"));
    std::string lines = "name=" + name + "\npublished=" + (published ? published : "") + "\n";
    lines += "inherited=" + InheritedValue(name) + "\n";
    if (!published || !pldr)
        return lines + "block=missing\n";
    void* const* block = reinterpret_cast<void* const*>(strtoull(published, nullptr, 16));
    lines += std::string("slot0=") + (block[0] == *pldr ? "pldr" : Hex(block[0]) + " but pldr is " + Hex(*pldr)) + "\n";
    lines += std::string("slot1=") + (block[1] ? "set" : "null") + "\n";
    return lines;
}

std::string StoreLines()
{
    void* const* pldr = static_cast<void* const*>(dlsym(RTLD_DEFAULT, "pldr"));
    if (!pldr || !*pldr)
        return "store=missing\n";
    const ProbeSettingsStore* store = static_cast<const ProbeSettingsStore*>(*pldr);
    std::string text(store->m_pData, static_cast<size_t>(store->m_nLength));
    std::string embedded = text.substr(static_cast<size_t>(store->m_nEmbeddedStart));
    return "exe=" + Text(store->m_strExePath) + "\nhome=" + Text(store->m_strAppHome) + "\ncwd=" +
           Text(store->m_strWorkDir) + "\ntext.terminated=" + (store->m_pData[store->m_nLength] == 0 ? "yes" : "no") +
           "\nembedded.first=" + embedded.substr(0, embedded.find_first_of("\r\n")) + "\n";
}

std::string MessageLines()
{
    const ProbeMessage* table = static_cast<const ProbeMessage*>(dlsym(RTLD_DEFAULT, "msgTable"));
    if (!table)
        return "messages=missing\n";
    std::string lines;
    int count = 0;
    for (; table[count].id != 0; ++count)
        lines += "message." + std::to_string(table[count].id) + "=" + OneLine(table[count].text) + "\n";
    return lines + "messages=" + std::to_string(count) + "\n";
}

jstring ToJava(JNIEnv* env, const std::string& text)
{
    return env->NewStringUTF(text.c_str());
}

}  // namespace

// Probe.report(): the shared block, the settings store and the message table as key=value lines.
extern "C" JNIEXPORT jstring JNICALL Java_Probe_report(JNIEnv* env, jclass)
{
    return ToJava(env, BlockLines() + StoreLines() + MessageLines());
}

// Probe.expand(value, utf8, copies): value passed copies times to the exported callback into
// one array; the array's strings, one per line, or a line saying what is missing.
extern "C" JNIEXPORT jstring JNICALL Java_Probe_expand(JNIEnv* env, jclass, jstring value, jboolean utf8, jint copies)
{
    const char* symbol = utf8 ? "_ZN15CSettingsLoader22EnumCommonCallbackUtf8EPvPKc"
                              : "_ZN15CSettingsLoader18EnumCommonCallbackEPvPKc";
    EnumCallback callback = reinterpret_cast<EnumCallback>(dlsym(RTLD_DEFAULT, symbol));
    if (!callback)
        return ToJava(env, std::string("missing ") + symbol + "\n");
    const char* text = env->GetStringUTFChars(value, nullptr);
    ProbeStringArray array;
    for (jint i = 0; i < copies; ++i)
        callback(&array, text);
    env->ReleaseStringUTFChars(value, text);
    std::string lines;
    for (int i = 0; i < array.m_nLength; ++i)
        lines += std::string(array.At(i)) + "\n";
    return ToJava(env, lines);
}

// Probe.executable(): this process's executable file.
extern "C" JNIEXPORT jstring JNICALL Java_Probe_executable(JNIEnv* env, jclass)
{
    return ToJava(env, ExecutablePath());
}
