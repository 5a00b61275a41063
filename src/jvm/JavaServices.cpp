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

}  // namespace

void SetSystemProperty(JNIEnv* env, char* text)
{
    char* value = strchr(text, '=');
    if (value)
        *value++ = 0;
    else
        value = text + strlen(text);

    jclass system = env->FindClass("java/lang/System");
    jmethodID setProperty = system ? env->GetStaticMethodID(system, "setProperty",
        "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;") : nullptr;
    if (!setProperty) {
        CheckJavaException(env, false);
        DeleteLocalRefs(env, system, nullptr, nullptr);
        return;
    }
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
    jclass system = env->FindClass("java/lang/System");
    jmethodID exit = system ? env->GetStaticMethodID(system, "exit", "(I)V") : nullptr;
    if (exit)
        env->CallStaticVoidMethod(system, exit, code);  // System.exit(code)
    CheckJavaException(env, false);
    DeleteLocalRefs(env, system, nullptr, nullptr);
}

bool CJavaHost::QueryJavaVersion(MyCString& version)
{
    if (!m_pEnv)
        return false;
    jclass system = m_pEnv->FindClass("java/lang/System");
    jmethodID getProperty = system ? m_pEnv->GetStaticMethodID(system, "getProperty",
        "(Ljava/lang/String;)Ljava/lang/String;") : nullptr;
    if (!getProperty) {
        CheckJavaException(m_pEnv, false);
        DeleteLocalRefs(m_pEnv, system, nullptr, nullptr);
        return false;
    }
    jstring key = m_pEnv->NewStringUTF("java.version");
    // System.getProperty("java.version")
    jobject value = key ? m_pEnv->CallStaticObjectMethod(system, getProperty, key) : nullptr;
    if (value)
        NativeFromJavaString(m_pEnv, static_cast<jstring>(value), version);
    CheckJavaException(m_pEnv, false);
    DeleteLocalRefs(m_pEnv, value, key, system);
    return true;
}
