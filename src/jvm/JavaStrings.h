// Java strings made from the launcher's texts and read back into them.
#pragma once

#include "text/Buffer.h"

#include <jni.h>

// A local reference to a Java string of text in the locale's encoding; bytes invalid there
// become U+FFFD. Null (exception pending) when the JVM could not create it.
[[nodiscard]] jstring NewJavaStringFromNative(JNIEnv* env, const char* text);
// The same for UTF-8 text; a four-byte sequence becomes a surrogate pair.
[[nodiscard]] jstring NewJavaStringFromUtf8(JNIEnv* env, const char* text);
// Replaces target's contents with the Java string in the locale's encoding; leaves target
// as it was when the characters cannot be read.
void NativeFromJavaString(JNIEnv* env, jstring value, MyCString& target);
