/* A JVM library whose JNI_CreateJavaVM fails at once: a launcher run against it does all of
 * its work up to the JVM's creation and then stops with status 4. */
typedef int jint;

jint JNI_CreateJavaVM(void** jvm, void** env, void* args)
{
    (void)jvm;
    (void)env;
    (void)args;
    return -1;
}
