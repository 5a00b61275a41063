/* The least a native host must do to run a Java main class: load the JVM library, create
 * the JVM with the class path, call main and destroy the JVM. The startup benchmark compares
 * the launcher with this.
 * Usage: floor LIBJVM CLASSPATH MAINCLASS */
#include <dlfcn.h>
#include <jni.h>
#include <stdio.h>
#include <string.h>

typedef jint (*CreateJavaVM)(JavaVM**, void**, void*);

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: floor LIBJVM CLASSPATH MAINCLASS\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_LAZY);
    CreateJavaVM create = library ? (CreateJavaVM)dlsym(library, "JNI_CreateJavaVM") : NULL;
    if (!create) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    char classPath[4096];
    snprintf(classPath, sizeof(classPath), "-Djava.class.path=%s", argv[2]);
    JavaVMOption option = {classPath, NULL};
    JavaVMInitArgs args = {JNI_VERSION_1_2, 1, &option, JNI_TRUE};
    JavaVM* jvm;
    JNIEnv* env;
    if (create(&jvm, (void**)&env, &args) != JNI_OK)
        return 4;
    jclass mainClass = (*env)->FindClass(env, argv[3]);
    jmethodID mainMethod =
        mainClass ? (*env)->GetStaticMethodID(env, mainClass, "main", "([Ljava/lang/String;)V") : NULL;
    if (!mainMethod) {
        (*env)->ExceptionDescribe(env);
        return 7;
    }
    jclass stringClass = (*env)->FindClass(env, "java/lang/String");
    jobjectArray mainArgs = (*env)->NewObjectArray(env, 0, stringClass, NULL);
    (*env)->CallStaticVoidMethod(env, mainClass, mainMethod, mainArgs);
    int status = (*env)->ExceptionCheck(env) ? 1 : 0;
    if (status)
        (*env)->ExceptionDescribe(env);
    (*jvm)->DetachCurrentThread(jvm);
    (*jvm)->DestroyJavaVM(jvm);
    return status;
}
