/* A JVM library whose JVM never starts: a launch that finds it ends with status 4. */
#include <jni.h>

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args)
{
    (void)vm;
    (void)env;
    (void)args;
    return JNI_ERR;
}
