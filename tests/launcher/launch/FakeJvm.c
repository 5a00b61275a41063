/* A JVM library whose JVM is created but knows no class: the launch reaches the JVM and can
   neither read java.version nor find a main class. */
#include <jni.h>
#include <stddef.h>

static jclass JNICALL FindClass(JNIEnv* env, const char* name)
{
    (void)env;
    (void)name;
    return NULL;
}

static jthrowable JNICALL ExceptionOccurred(JNIEnv* env)
{
    (void)env;
    return NULL;
}

static jboolean JNICALL ExceptionCheck(JNIEnv* env)
{
    (void)env;
    return JNI_FALSE;
}

static void JNICALL NoException(JNIEnv* env)
{
    (void)env;
}

static void JNICALL DeleteLocalRef(JNIEnv* env, jobject object)
{
    (void)env;
    (void)object;
}

static jint JNICALL DetachCurrentThread(JavaVM* vm)
{
    (void)vm;
    return JNI_OK;
}

static jint JNICALL DestroyJavaVM(JavaVM* vm)
{
    (void)vm;
    return JNI_OK;
}

static jint JNICALL AttachCurrentThread(JavaVM* vm, void** env, void* args)
{
    (void)vm;
    (void)env;
    (void)args;
    return JNI_ERR;
}

static jint JNICALL GetEnv(JavaVM* vm, void** env, jint version)
{
    (void)vm;
    (void)version;
    *env = NULL;
    return JNI_EDETACHED;
}

static struct JNINativeInterface_ functions;
static struct JNIInvokeInterface_ invocation;
static JNIEnv environment = &functions;
static JavaVM machine = &invocation;

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args)
{
    (void)args;
    functions.FindClass = FindClass;
    functions.ExceptionOccurred = ExceptionOccurred;
    functions.ExceptionCheck = ExceptionCheck;
    functions.ExceptionClear = NoException;
    functions.ExceptionDescribe = NoException;
    functions.DeleteLocalRef = DeleteLocalRef;
    invocation.DetachCurrentThread = DetachCurrentThread;
    invocation.DestroyJavaVM = DestroyJavaVM;
    invocation.AttachCurrentThread = AttachCurrentThread;
    invocation.GetEnv = GetEnv;
    *vm = &machine;
    *env = &environment;
    return JNI_OK;
}
