// Small services of the running JVM, and the orderly Java exit on SIGINT and SIGTERM.
#pragma once

#include <jni.h>

// Clears a pending Java exception; with describe, the JVM first prints it and its stack trace.
// True when an exception was pending.
bool CheckJavaException(JNIEnv* env, bool describe);
// Sets a system property from "name=value" (UTF-8; the first '=' splits, it is overwritten).
void SetSystemProperty(JNIEnv* env, char* text);
// System.exit(code); returns only when the exit did not happen.
void RequestJavaExit(JNIEnv* env, int code);

// Installs OnTerminateSignal for SIGINT and SIGTERM and starts the watcher thread that does
// the Java work for it. Without a watcher thread the dispositions are left alone.
void InstallSignalHandlers();
// The handler: only async-signal-safe work; wakes the watcher thread.
void OnTerminateSignal(int signal);
// Puts back the dispositions saved by InstallSignalHandlers and ends the watcher thread
// (before the JVM library closes). Safe to repeat.
void RestoreSignalHandlers();
