#include "jvm/JavaStrings.h"

#include "text/UnicodeStrings.h"

#include <cstring>

namespace {

[[nodiscard]] int LengthOf(const char* text)
{
    return static_cast<int>(strlen(text));
}

// NewStringUTF wants modified UTF-8, so anything beyond ASCII goes in as 16-bit units.
[[nodiscard]] jstring NewJavaStringFromUnits(JNIEnv* env, const UcsString& units)
{
    return env->NewString(units.GetData(), units.GetLength());
}

}  // namespace

jstring NewJavaStringFromNative(JNIEnv* env, const char* text)
{
    if (!HasNonAscii(text, LengthOf(text)))
        return env->NewStringUTF(text);
    return NewJavaStringFromUnits(env, UcsString(UnicodeString(text).GetData()));
}

jstring NewJavaStringFromUtf8(JNIEnv* env, const char* text)
{
    int length = LengthOf(text);
    if (!HasNonAscii(text, length))
        return env->NewStringUTF(text);
    return NewJavaStringFromUnits(env, UcsString(UnicodeStringFromUtf8(text, length).GetData()));
}

void NativeFromJavaString(JNIEnv* env, jstring value, MyCString& target)
{
    const jchar* units = env->GetStringChars(value, nullptr);
    if (!units)
        return;
    UnicodeString wide(units, env->GetStringLength(value));
    env->ReleaseStringChars(value, units);
    NativeFromWide(target, wide.GetData());
}
