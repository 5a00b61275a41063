// Running the main class: find it, find its static main, build String[] from the argv setting
// values and the command line, call it.
#include "jvm/ArgumentSplitter.h"
#include "jvm/JavaHost.h"
#include "jvm/JavaServices.h"
#include "jvm/JavaStrings.h"
#include "sys/Trace.h"

jclass CJavaHost::FindJavaClass(const char* name)
{
    MyCString slashed(name);
    for (int i = 0; i < slashed.GetLength(); ++i)
        if (slashed.GetData()[i] == '.')
            slashed.GetData()[i] = '/';
    jclass found = m_pEnv->FindClass(slashed.c_str());
    if (!found)
        CheckJavaException(m_pEnv, true);
    return found;
}

int CJavaHost::RunMainClass(const char* name, MyCStringArray& settingValues, int argc, char** argv)
{
    jclass mainClass = FindJavaClass(name);
    if (!mainClass)
        return kHostClassNotFound;
    jmethodID main = m_pEnv->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (!main) {
        CheckJavaException(m_pEnv, true);
        m_pEnv->DeleteLocalRef(mainClass);
        return kHostMainMissing;
    }

    CBufferT<char*> tokens;
    int tokenCount = 0;
    for (int i = 0; i < settingValues.GetSize(); ++i)
        tokenCount = SplitArguments(tokens, settingValues.GetAt(i));
    Trace("main class %s with %d arguments", name, tokenCount + argc);
    jobjectArray args = BuildArgumentArray(tokenCount, tokens.GetData(), argc, argv);
    if (!args) {
        m_pEnv->DeleteLocalRef(mainClass);
        return kHostMainThrew;
    }

    m_pEnv->CallStaticVoidMethod(mainClass, main, args);  // MainClass.main(args)
    bool threw = CheckJavaException(m_pEnv, true);
    m_pEnv->DeleteLocalRef(args);
    m_pEnv->DeleteLocalRef(mainClass);
    return threw ? kHostMainThrew : kHostOk;
}

namespace {

// Sets array[index] from native text; false (exception pending) when the string could not be made.
[[nodiscard]] bool SetArgument(JNIEnv* env, jobjectArray array, int index, const char* text)
{
    jstring value = NewJavaStringFromNative(env, text);
    if (!value)
        return false;
    env->SetObjectArrayElement(array, index, value);
    env->DeleteLocalRef(value);
    return true;
}

}  // namespace

jobjectArray CJavaHost::BuildArgumentArray(int tokenCount, char** tokens, int argc, char** argv)
{
    jclass stringClass = m_pEnv->FindClass("java/lang/String");
    jobjectArray array = stringClass ? m_pEnv->NewObjectArray(tokenCount + argc, stringClass, nullptr) : nullptr;
    bool filled = array != nullptr;
    for (int i = 0; filled && i < tokenCount + argc; ++i)
        filled = SetArgument(m_pEnv, array, i, i < tokenCount ? tokens[i] : argv[i - tokenCount]);
    if (stringClass)
        m_pEnv->DeleteLocalRef(stringClass);
    if (filled)
        return array;
    // The JVM is out of memory: report it as an exception out of main would be.
    CheckJavaException(m_pEnv, true);
    if (array)
        m_pEnv->DeleteLocalRef(array);
    return nullptr;
}
