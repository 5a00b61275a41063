/* A loadable library without JNI_CreateJavaVM. */
int NotAJavaVm(void)
{
    return 0;
}
