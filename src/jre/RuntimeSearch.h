#pragma once

#include "settings/SettingsLoader.h"

// The JVM library chosen by the jre_order search (default "cbsie"), or "" when no source yields one.
[[nodiscard]] MyCString FindJavaRuntime(CSettingsLoader& store);
// Letter s: the library of the `java` command found by "which java", links followed.
[[nodiscard]] MyCString FindJvmFromPath(CSettingsLoader& store);
// Letter e: the library under JRE_HOME, else under JAVA_HOME.
[[nodiscard]] MyCString FindJvmFromEnvironment(CSettingsLoader& store);
