#include "jvm/JavaServices.h"

#include "jvm/JavaHost.h"
#include "jvm/JavaStrings.h"

#include <cstring>

bool CheckJavaException(JNIEnv* env, bool describe)
{
    jthrowable exception = env->ExceptionOccurred();
    if (!exception)
        return false;
    if (describe)
        env->ExceptionDescribe();
    env->ExceptionClear();
    env->DeleteLocalRef(exception);
    return true;
}

namespace {

void DeleteLocalRefs(JNIEnv* env, jobject first, jobject second, jobject third)
{
    jobject refs[] = {first, second, third};
    for (jobject ref : refs)
        if (ref)
            env->DeleteLocalRef(ref);
}

// A static method of java/lang/System, with the class in system; null (the exception cleared,
// system null) when either is missing.
jmethodID FindSystemMethod(JNIEnv* env, const char* name, const char* signature, jclass& system)
{
    system = env->FindClass("java/lang/System");
    jmethodID method = system ? env->GetStaticMethodID(system, name, signature) : nullptr;
    if (!method) {
        CheckJavaException(env, false);
        DeleteLocalRefs(env, system, nullptr, nullptr);
        system = nullptr;
    }
    return method;
}

}  // namespace

void SetSystemProperty(JNIEnv* env, char* text)
{
    char* value = strchr(text, '=');
    if (value)
        *value++ = 0;
    else
        value = text + strlen(text);

    jclass system = nullptr;
    jmethodID setProperty = FindSystemMethod(env, "setProperty",
        "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;", system);
    if (!setProperty)
        return;
    jstring name = NewJavaStringFromUtf8(env, text);
    jstring javaValue = name ? NewJavaStringFromUtf8(env, value) : nullptr;
    if (javaValue) {
        // System.setProperty(name, value); an empty name throws and is cleared below.
        jobject previous = env->CallStaticObjectMethod(system, setProperty, name, javaValue);
        DeleteLocalRefs(env, previous, nullptr, nullptr);
    }
    CheckJavaException(env, false);
    DeleteLocalRefs(env, javaValue, name, system);
}

void RequestJavaExit(JNIEnv* env, int code)
{
    jclass system = nullptr;
    jmethodID exit = FindSystemMethod(env, "exit", "(I)V", system);
    if (!exit)
        return;
    env->CallStaticVoidMethod(system, exit, code);  // System.exit(code)
    CheckJavaException(env, false);
    DeleteLocalRefs(env, system, nullptr, nullptr);
}

bool CJavaHost::QueryJavaVersion(MyCString& version)
{
    if (!m_pEnv)
        return false;
    jclass system = nullptr;
    jmethodID getProperty = FindSystemMethod(m_pEnv, "getProperty", "(Ljava/lang/String;)Ljava/lang/String;", system);
    if (!getProperty)
        return false;
    jstring key = m_pEnv->NewStringUTF("java.version");
    // System.getProperty("java.version")
    jobject value = key ? m_pEnv->CallStaticObjectMethod(system, getProperty, key) : nullptr;
    if (value)
        NativeFromJavaString(m_pEnv, static_cast<jstring>(value), version);
    CheckJavaException(m_pEnv, false);
    DeleteLocalRefs(m_pEnv, value, key, system);
    return true;
}
